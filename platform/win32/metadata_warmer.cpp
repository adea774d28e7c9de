// The metadata warmer on Windows: folders cannot yet be opened the way its
// threads must open them (one call from the verified root that refuses a
// reparse point on the way), so, as metadata_warmer.h allows, nothing is
// warmed: Start() reports that it cannot run and every offer is declined.
// The walk is the same without it; only its waiting on a cold disk differs.
#include "platform/metadata_warmer.h"

namespace tidewell::platform {

struct MetadataWarmer::Shared {};

MetadataWarmer::MetadataWarmer(VirtualFileSystem&, char, NameFilter, unsigned) : shared_(std::make_unique<Shared>()) {}
MetadataWarmer::~MetadataWarmer() = default;

bool MetadataWarmer::Start() { return false; }
bool MetadataWarmer::Running() const { return false; }
bool MetadataWarmer::Offer(std::string_view, Files, bool) { return false; }
bool MetadataWarmer::OfferStats(std::string_view, bool) { return false; }
void MetadataWarmer::Stop(Queued) {}
std::int64_t MetadataWarmer::FoldersListed() const { return 0; }
std::int64_t MetadataWarmer::FoldersStatted() const { return 0; }

}  // namespace tidewell::platform
