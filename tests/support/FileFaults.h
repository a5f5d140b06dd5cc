#pragma once

// Real file-system failures for tests, made by the kernel rather than by a stand-in, so
// they reach the code under test through the same system calls as on a user's machine.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, no write of this process may take a regular file past `bytes`: the write
// that would do so stores what fits and the next one fails, as on a full disk (EFBIG
// instead of ENOSPC). Pipes and terminals are not affected.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &previous_), 0);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = SIG_DFL;
};

// While it lives, the calling thread obeys file permissions even when it runs as root (as
// CI does): the two capabilities that override them leave its effective set, and come back
// at the end. Without root it changes nothing.
class ObeyFilePermissions {
public:
    ObeyFilePermissions() {
        EXPECT_EQ(::syscall(SYS_capget, &header_, saved_), 0);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &=
            ~(std::uint32_t{1} << CAP_DAC_OVERRIDE | std::uint32_t{1} << CAP_DAC_READ_SEARCH);
        EXPECT_EQ(::syscall(SYS_capset, &header_, reduced), 0);
    }
    ~ObeyFilePermissions() { ::syscall(SYS_capset, &header_, saved_); }
    ObeyFilePermissions(const ObeyFilePermissions&) = delete;
    ObeyFilePermissions& operator=(const ObeyFilePermissions&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};
