#include "core/OsFileCalls.h"

namespace Os {
namespace {
int g_failAt = -1;
FileFault g_fault = FileFault::None;
std::vector<FileCall> g_calls;
bool g_counting = false;  // only once a test asked: a long run keeps no list
}  // namespace

std::vector<FileFault> FaultsFor(FileCall call) {
    using F = FileFault;
    switch (call) {
        case FileCall::Open:
            return {F::NotFound, F::AccessDenied, F::SharingViolation};
        case FileCall::Create:
            return {F::NotFound, F::AccessDenied, F::SharingViolation, F::DiskFull};
        case FileCall::Read:
            return {F::AccessDenied, F::SharingViolation};
        case FileCall::Write:
            return {F::DiskFull, F::ShortWrite, F::AccessDenied};
        case FileCall::Flush:
            return {F::DiskFull};
        case FileCall::Truncate:
            return {F::AccessDenied, F::DiskFull};
        case FileCall::Query:
            return {F::NotFound, F::AccessDenied};
        case FileCall::Rename:
            return {F::NotFound, F::AccessDenied, F::SharingViolation};
        case FileCall::Delete:
            return {F::AccessDenied, F::SharingViolation};
        case FileCall::List:
            return {F::AccessDenied};
    }
    return {};
}

void SetFileFaultForTesting(int failAt, FileFault fault) {
    g_failAt = failAt;
    g_fault = fault;
    g_calls.clear();
    g_counting = true;
}

const std::vector<FileCall>& FileCallsForTesting() { return g_calls; }

FileFault NextFileCall(FileCall call) {
    if (!g_counting) return FileFault::None;
    g_calls.push_back(call);
    return static_cast<int>(g_calls.size()) - 1 == g_failAt ? g_fault : FileFault::None;
}
}  // namespace Os
