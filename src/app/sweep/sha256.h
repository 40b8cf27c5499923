// SHA-256 of bytes that come in pieces, through OpenSSL's digest interface.
#pragma once

#include <cstddef>
#include <string>

namespace agv {

class Sha256 {
  public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    /// Adds size bytes to the digest.
    void add(const void* data, std::size_t size);
    void add(const std::string& text) { add(text.data(), text.size()); }

    /// The digest of everything added so far as 64 lowercase hex digits; more may be added
    /// afterwards.
    std::string hex() const;

  private:
    struct State;
    State* state_;
};

}  // namespace agv
