#pragma once
// Key material in memory the system keeps out of swap and wipes on release.

#include <sodium.h>

#include <cstddef>
#include <new>

namespace pelmora {

class SecureBytes {
  public:
    explicit SecureBytes(std::size_t n) : n_(n), p_(static_cast<unsigned char*>(sodium_malloc(n))) {
        if (!p_) throw std::bad_alloc();
    }
    ~SecureBytes() { sodium_free(p_); }
    SecureBytes(const SecureBytes&) = delete;
    SecureBytes& operator=(const SecureBytes&) = delete;

    unsigned char* data() { return p_; }
    const unsigned char* data() const { return p_; }
    std::size_t size() const { return n_; }

  private:
    std::size_t n_;
    unsigned char* p_;
};

} // namespace pelmora
