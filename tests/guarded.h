// Test inputs that end right before an inaccessible page, so that a kernel
// reading past their last element faults at once. Vector loads through
// intrinsics escape the sanitizers; they do not escape this.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace testing_util {

class Guarded {
public:
    explicit Guarded(const std::vector<double>& values)
    {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t bytes = values.size() * sizeof(double);
        span_ = (bytes + page - 1) / page * page + page;
        void* base = mmap(nullptr, span_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            throw std::runtime_error("mmap failed");
        base_ = static_cast<char*>(base);
        if (mprotect(base_ + span_ - page, page, PROT_NONE) != 0)
            throw std::runtime_error("mprotect failed");
        data_ = reinterpret_cast<double*>(base_ + span_ - page - bytes);
        if (bytes > 0)
            std::memcpy(data_, values.data(), bytes);
    }
    ~Guarded() { munmap(base_, span_); }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    double* data() const { return data_; }

private:
    char* base_ = nullptr;
    size_t span_ = 0;
    double* data_ = nullptr;
};

}  // namespace testing_util
