#include "app/sweep/sha256.h"

#include <openssl/evp.h>

#include <new>

namespace agv {

struct Sha256::State {
    EVP_MD_CTX* context = nullptr;
};

Sha256::Sha256() : state_(new State) {
    state_->context = EVP_MD_CTX_new();
    if (state_->context == nullptr ||
        EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1) {
        EVP_MD_CTX_free(state_->context);
        delete state_;
        throw std::bad_alloc();
    }
}

Sha256::~Sha256() {
    EVP_MD_CTX_free(state_->context);
    delete state_;
}

void Sha256::add(const void* data, std::size_t size) {
    if (size > 0) EVP_DigestUpdate(state_->context, data, size);
}

std::string Sha256::hex() const {
    static const char kHex[] = "0123456789abcdef";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    // The digest of a copy, so that this one goes on.
    EVP_MD_CTX* copy = EVP_MD_CTX_new();
    if (copy == nullptr || EVP_MD_CTX_copy_ex(copy, state_->context) != 1 ||
        EVP_DigestFinal_ex(copy, digest, &length) != 1) {
        EVP_MD_CTX_free(copy);
        throw std::bad_alloc();
    }
    EVP_MD_CTX_free(copy);
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0xf];
    }
    return text;
}

}  // namespace agv
