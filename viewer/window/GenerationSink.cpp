#include "viewer/window/GenerationSink.h"

namespace viewer {

void GenerationSink::Post(std::uint32_t message, std::uintptr_t, std::intptr_t lparam) {
  target_->Post(message, generation_.load(), lparam);
}

}  // namespace viewer
