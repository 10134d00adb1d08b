// Test inputs that end right before an inaccessible page, so that a kernel
// reading past their last element faults at once. Vector loads through
// intrinsics escape the sanitizers; they do not escape this.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace testing_util {

class Guarded {
public:
    explicit Guarded(const std::vector<double>& values)
    {
        const size_t page = pageSize();
        const size_t bytes = values.size() * sizeof(double);
        span_ = (bytes + page - 1) / page * page + page;
#ifdef _WIN32
        void* base = VirtualAlloc(nullptr, span_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (!base)
            throw std::runtime_error("VirtualAlloc failed");
        base_ = static_cast<char*>(base);
        DWORD before;
        if (!VirtualProtect(base_ + span_ - page, page, PAGE_NOACCESS, &before))
            throw std::runtime_error("VirtualProtect failed");
#else
        void* base = mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            throw std::runtime_error("mmap failed");
        base_ = static_cast<char*>(base);
        if (mprotect(base_ + span_ - page, page, PROT_NONE) != 0)
            throw std::runtime_error("mprotect failed");
#endif
        data_ = reinterpret_cast<double*>(base_ + span_ - page - bytes);
        if (bytes > 0)
            std::memcpy(data_, values.data(), bytes);
    }
#ifdef _WIN32
    ~Guarded() { VirtualFree(base_, 0, MEM_RELEASE); }
#else
    ~Guarded() { munmap(base_, span_); }
#endif
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    double* data() const { return data_; }

private:
    static size_t pageSize()
    {
#ifdef _WIN32
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        return info.dwPageSize;
#else
        return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
    }

    char* base_ = nullptr;
    size_t span_ = 0;
    double* data_ = nullptr;
};

}  // namespace testing_util
