#include "tests/support/CapturedStderr.h"

#include <sys/mman.h>
#include <unistd.h>

namespace eggtimer::test {

CapturedStderr::CapturedStderr()
    : file(::memfd_create("stderr", 0))
    , saved(::dup(STDERR_FILENO)) {
    ::dup2(file, STDERR_FILENO);
}

CapturedStderr::~CapturedStderr() {
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    ::close(file);
}

} // namespace eggtimer::test
