#include "platform/download/TlsStream.h"

#include <schannel.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace download {

namespace {

constexpr size_t kRawBlock = 64 * 1024;
constexpr size_t kMaxIncoming = 1 << 20;  // a handshake message or record larger than this is refused
constexpr DWORD kRequestFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

std::wstring Hex(long code) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(code));
  return text;
}

NetStatus ChannelFailure(const std::wstring& what, SECURITY_STATUS status) {
  return NetFailure(Failure::Connect, what + L" (" + Hex(status) + L")");
}

// A token the package allocated, handed to the server and freed.
NetStatus SendToken(TcpStream& tcp, SecBuffer& token, DWORD timeoutMs) {
  NetStatus status;
  if (token.pvBuffer && token.cbBuffer > 0)
    status = tcp.Send(static_cast<const char*>(token.pvBuffer), token.cbBuffer, timeoutMs);
  if (token.pvBuffer) FreeContextBuffer(token.pvBuffer);
  token.pvBuffer = nullptr;
  token.cbBuffer = 0;
  return status;
}

}  // namespace

NetStatus TlsStream::ReceiveRaw(DWORD timeoutMs, const wchar_t* doing, bool& ended) {
  if (incoming_.size() >= kMaxIncoming)
    return NetFailure(Failure::Connect, L"The secure channel sent too much at once");
  const size_t had = incoming_.size();
  incoming_.resize(had + kRawBlock);
  size_t got = 0;
  NetStatus status = tcp_.Receive(incoming_.data() + had, kRawBlock, got, timeoutMs, doing);
  incoming_.resize(had + got);
  ended = status.Ok() && got == 0;
  return status;
}

NetStatus TlsStream::Handshake(const std::wstring& host, DWORD timeoutMs) {
  host_ = host;
  SCHANNEL_CRED cred = {};
  cred.dwVersion = SCHANNEL_CRED_VERSION;
  cred.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
  TimeStamp expiry;
  SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, const_cast<wchar_t*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                                     nullptr, &cred, nullptr, nullptr, credentials_.Put(), &expiry);
  if (status != SEC_E_OK) return ChannelFailure(L"The secure channel is not available", status);
  credentials_.Set();
  NetStatus result = Exchange(host, timeoutMs, true);
  if (!result.Ok()) return result;
  status = QueryContextAttributesW(context_.Get(), SECPKG_ATTR_STREAM_SIZES, &sizes_);
  if (status != SEC_E_OK) return ChannelFailure(L"The secure channel failed", status);
  return CheckCertificate(host);
}

NetStatus TlsStream::Exchange(const std::wstring& host, DWORD timeoutMs, bool first) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  auto left = [&] {
    const ULONGLONG now = GetTickCount64();
    return now >= end ? DWORD{0} : static_cast<DWORD>(end - now);
  };
  SECURITY_STATUS status = SEC_I_CONTINUE_NEEDED;
  if (first) {
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    status = InitializeSecurityContextW(credentials_.Get(), nullptr, const_cast<wchar_t*>(host.c_str()), kRequestFlags,
                                        0, 0, nullptr, 0, context_.Put(), &outDesc, &attributes, nullptr);
    if (status != SEC_I_CONTINUE_NEEDED) return ChannelFailure(L"The secure handshake could not start", status);
    context_.Set();
    NetStatus sent = SendToken(tcp_, out, left());
    if (!sent.Ok()) return sent;
  }
  bool needMore = incoming_.empty();
  while (true) {
    if (needMore) {
      bool ended = false;
      NetStatus received = ReceiveRaw(left(), L"during the secure handshake", ended);
      if (!received.Ok()) return received;
      if (ended) return NetFailure(Failure::Connect, L"The server closed the connection during the secure handshake");
    }
    SecBuffer in[2] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_TOKEN, incoming_.data()},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    ULONG attributes = 0;
    status = InitializeSecurityContextW(credentials_.Get(), context_.Get(), const_cast<wchar_t*>(host.c_str()),
                                        kRequestFlags, 0, 0, &inDesc, 0, nullptr, &outDesc, &attributes, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      if (out.pvBuffer) FreeContextBuffer(out.pvBuffer);
      needMore = true;
      continue;
    }
    NetStatus sent = SendToken(tcp_, out, left());
    if (!sent.Ok()) return sent;
    if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
      return NetFailure(Failure::Connect, L"The server asks for a client certificate");
    }
    if (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED) {
      return ChannelFailure(L"The secure handshake failed", status);
    }
    // What the package did not take belongs to the next message (or, at the end, to the data).
    if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0 && in[1].cbBuffer <= incoming_.size()) {
      incoming_.erase(0, incoming_.size() - in[1].cbBuffer);
    } else {
      incoming_.clear();
    }
    if (status == SEC_E_OK) return {};
    needMore = incoming_.empty();
  }
}

NetStatus TlsStream::CheckCertificate(const std::wstring& host) {
  ScopedCertificate certificate;
  PCCERT_CONTEXT raw = nullptr;
  SECURITY_STATUS status = QueryContextAttributesW(context_.Get(), SECPKG_ATTR_REMOTE_CERT_CONTEXT, &raw);
  certificate.reset(raw);
  if (status != SEC_E_OK || !certificate) return ChannelFailure(L"The server sent no certificate", status);
  char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
  LPSTR usages[] = {serverAuth};
  CERT_CHAIN_PARA chainPara = {sizeof chainPara};
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chainRaw = nullptr;
  if (!CertGetCertificateChain(nullptr, certificate.get(), nullptr, certificate.get()->hCertStore, &chainPara, 0,
                               nullptr, &chainRaw)) {
    return ChannelFailure(L"The server's certificate could not be checked", static_cast<long>(GetLastError()));
  }
  ScopedCertificateChain chain(chainRaw);
  SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
  ssl.cbSize = sizeof ssl;
  ssl.dwAuthType = AUTHTYPE_SERVER;
  ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
  CERT_CHAIN_POLICY_PARA policy = {sizeof policy};
  policy.pvExtraPolicyPara = &ssl;
  CERT_CHAIN_POLICY_STATUS verdict = {sizeof verdict};
  if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain.get(), &policy, &verdict) ||
      verdict.dwError != 0) {
    return ChannelFailure(L"The server's certificate is not trusted for " + host, static_cast<long>(verdict.dwError));
  }
  return {};
}

NetStatus TlsStream::Send(const char* data, size_t size, DWORD timeoutMs) {
  std::string record;
  while (size > 0) {
    const size_t piece = std::min<size_t>(size, sizes_.cbMaximumMessage);
    record.assign(sizes_.cbHeader + piece + sizes_.cbTrailer, '\0');
    std::memcpy(record.data() + sizes_.cbHeader, data, piece);
    SecBuffer buffers[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, record.data()},
                            {static_cast<unsigned long>(piece), SECBUFFER_DATA, record.data() + sizes_.cbHeader},
                            {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + sizes_.cbHeader + piece},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = EncryptMessage(context_.Get(), 0, &desc, 0);
    if (status != SEC_E_OK) return ChannelFailure(L"The secure channel failed", status);
    NetStatus sent =
        tcp_.Send(record.data(), buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer, timeoutMs);
    if (!sent.Ok()) return sent;
    data += piece;
    size -= piece;
  }
  return {};
}

NetStatus TlsStream::Receive(char* buffer, size_t size, size_t& got, DWORD timeoutMs, const wchar_t* doing) {
  got = 0;
  while (plainAt_ == plain_.size()) {
    plain_.clear();
    plainAt_ = 0;
    if (ended_) return {};
    if (incoming_.empty()) {
      bool ended = false;
      NetStatus received = ReceiveRaw(timeoutMs, doing, ended);
      if (!received.Ok()) return received;
      if (ended) return {};  // closed without the channel's own close: the body's length tells
    }
    SecBuffer buffers[4] = {{static_cast<unsigned long>(incoming_.size()), SECBUFFER_DATA, incoming_.data()},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr},
                            {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    const SECURITY_STATUS status = DecryptMessage(context_.Get(), &desc, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE) {
      bool ended = false;
      NetStatus received = ReceiveRaw(timeoutMs, doing, ended);
      if (!received.Ok()) return received;
      if (ended) return NetFailure(Failure::Connect, L"The connection ended inside a secure record");
      continue;
    }
    if (status == SEC_I_CONTEXT_EXPIRED) {  // the server closed the channel
      ended_ = true;
      return {};
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) return ChannelFailure(L"The secure channel failed", status);
    std::string extra;
    for (const SecBuffer& b : buffers) {
      if (b.BufferType == SECBUFFER_DATA && b.cbBuffer > 0)
        plain_.append(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
      if (b.BufferType == SECBUFFER_EXTRA && b.cbBuffer > 0)
        extra.assign(static_cast<const char*>(b.pvBuffer), b.cbBuffer);
    }
    incoming_ = std::move(extra);
    if (status == SEC_I_RENEGOTIATE) {
      // The server sends handshake messages again (a new key, or a session ticket).
      NetStatus again = Exchange(host_, timeoutMs, false);
      if (!again.Ok()) return again;
    }
  }
  got = std::min(size, plain_.size() - plainAt_);
  std::memcpy(buffer, plain_.data() + plainAt_, got);
  plainAt_ += got;
  return {};
}

}  // namespace download
