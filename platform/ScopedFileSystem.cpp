#include "platform/ScopedFileSystem.h"

namespace platform {

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : previous_(ReplaceFs(&replacement)) {}
ScopedFileSystem::~ScopedFileSystem() { ReplaceFs(previous_); }

}  // namespace platform
