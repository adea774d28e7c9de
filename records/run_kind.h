// Whether a run only counts and logs what it would remove (a test run) or
// removes it: the deletion log and the run report word their headings by it.
#pragma once

namespace tidewell {

enum class RunKind { Test, Destructive };

}  // namespace tidewell
