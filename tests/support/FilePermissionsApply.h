#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testing_support {

// While alive, file permissions hold for the calling thread even when it runs
// as root: the capabilities that override them are taken out of its effective
// set (capabilities belong to a thread, so other threads keep theirs) and put
// back at the end. Lets a test see a refused read or write the way a user
// does, whoever runs the suite.
class FilePermissionsApply {
public:
    FilePermissionsApply() {
        FHeader.version = _LINUX_CAPABILITY_VERSION_3;
        FHeader.pid = 0;
        if (::syscall(SYS_capget, &FHeader, FSaved) != 0)
            return;
        __user_cap_data_struct reduced[2] = {FSaved[0], FSaved[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        FActive = ::syscall(SYS_capset, &FHeader, reduced) == 0;
    }
    ~FilePermissionsApply() {
        if (FActive)
            ::syscall(SYS_capset, &FHeader, FSaved);
    }
    FilePermissionsApply(const FilePermissionsApply&) = delete;
    FilePermissionsApply& operator=(const FilePermissionsApply&) = delete;

private:
    __user_cap_header_struct FHeader{};
    __user_cap_data_struct FSaved[2]{};
    bool FActive = false;
};

} // namespace testing_support
