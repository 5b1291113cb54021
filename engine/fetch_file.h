#pragma once
// `FetchFile`: what a worker does with one link of the list, from the
// opening log line to the stored file, the scanned page and the thumbnail.
// The way through: FileFetcher receives, Classify decides, then the file is
// logged, scanned, handed over and settled in the list.
#include <string>

#include "engine/fetch_outcome.h"
#include "engine/run_context.h"
#include "platform/http_client.h"

namespace engine {

// Worker `worker` fetches link `index` of the list with its session, then
// finishes the links other workers left to it meanwhile.
FetchOutcome FetchFile(RunContext& run, int worker, platform::HttpSession& session, const std::string& link,
                       int index);

}  // namespace engine
