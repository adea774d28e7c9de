# Hardening of the Linux programs in release builds (Release, RelWithDebInfo,
# MinSizeRel), the flags Debian builds its own packages with:
#   - -D_FORTIFY_SOURCE=2: the C library checks buffer sizes it can see at
#     compile time (memcpy, snprintf, read, ...); needs optimisation, so
#     Debug builds go without it;
#   - -fstack-protector-strong: a canary guards every frame with an array;
#   - -z relro -z now: the dynamic linker resolves every symbol at start-up
#     and then makes the relocation table read-only.
# Sanitizer and fuzzing builds keep their own instrumentation and skip all of
# it (fortified calls hide accesses from AddressSanitizer). The Windows build
# (mingw-w64) skips it too: its fortified headers need libssp, and PE
# linkers have no -z options.
if(WIN32 OR TIDEWELL_FUZZ OR TIDEWELL_SANITIZE)
  return()
endif()
set(tidewell_release_configs "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
add_compile_options(
  "$<${tidewell_release_configs}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2;-fstack-protector-strong>")
add_link_options("$<${tidewell_release_configs}:LINKER:-z,relro;LINKER:-z,now>")
unset(tidewell_release_configs)
