// Scoped owners for the network's handles: a socket (closed abortively, so a
// connection given up is dropped at once rather than drained or lingered on),
// the secure channel's credentials and context, a certificate and a
// certificate chain. Include before windows.h (winsock2.h comes first).
#pragma once
#include <winsock2.h>
// After winsock2.h:
#include <windows.h>
#include <wincrypt.h>
#define SECURITY_WIN32
#include <security.h>

#include <utility>

#include "base/Handles.h"

struct SocketAbort {
  void operator()(SOCKET s) const {
    linger drop = {1, 0};  // a reset: nothing more is read or sent
    setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&drop), sizeof drop);
    closesocket(s);
  }
};
using ScopedSocket = UniqueHandle<SOCKET, SocketAbort, INVALID_SOCKET>;

struct CertificateFree {
  void operator()(PCCERT_CONTEXT c) const { CertFreeCertificateContext(c); }
};
using ScopedCertificate = UniqueHandle<PCCERT_CONTEXT, CertificateFree>;

struct CertificateChainFree {
  void operator()(PCCERT_CHAIN_CONTEXT c) const { CertFreeCertificateChain(c); }
};
using ScopedCertificateChain = UniqueHandle<PCCERT_CHAIN_CONTEXT, CertificateChainFree>;

// A security package handle (credentials or a context), freed by Free when set.
template <SECURITY_STATUS(SEC_ENTRY* Free)(PSecHandle)>
class ScopedSecHandle {
 public:
  ScopedSecHandle() = default;
  ~ScopedSecHandle() { Reset(); }
  ScopedSecHandle(const ScopedSecHandle&) = delete;
  ScopedSecHandle& operator=(const ScopedSecHandle&) = delete;

  // For out-parameters: releases what is held; the caller calls Set when the API succeeded.
  SecHandle* Put() {
    Reset();
    return &h_;
  }
  void Set() { held_ = true; }
  SecHandle* Get() { return held_ ? &h_ : nullptr; }
  explicit operator bool() const { return held_; }
  void Reset() {
    if (std::exchange(held_, false)) Free(&h_);
  }

 private:
  SecHandle h_ = {};
  bool held_ = false;
};
using ScopedCredentials = ScopedSecHandle<FreeCredentialsHandle>;
using ScopedSecurityContext = ScopedSecHandle<DeleteSecurityContext>;
