// SPDX-License-Identifier: MIT
// Where HttpSession takes its TLS trust anchors from.
//
// On Windows, Schannel validates the server's chain against the system's
// trust store by itself. Under Wine that automatic validation accepts chains
// it cannot verify, so there the session hands libcurl the trust anchors
// explicitly and libcurl verifies chain and host name against them. Either
// way verification is on; nothing in the program turns it off.
#pragma once

#include <string>

namespace vigilor::acquisition {

enum class TlsTrustSource {
  SystemValidation,  // Windows: Schannel and the system trust store
  ExplicitAnchors,   // Wine: the PEM bundle below, given to libcurl
};

// Wine or not, decided once; any thread.
TlsTrustSource CurrentTlsTrustSource();

// Every certificate of the Windows "ROOT" store (which Wine fills from the
// host and which includes the machine's roots), as PEM. When that store gives
// nothing, the host's bundle "Z:\etc\ssl\certs\ca-certificates.crt". Empty
// when neither is readable: then nothing is trusted. Built once per process,
// on first use, and never freed; any thread.
const std::string& ExplicitTrustAnchorsPem();

}  // namespace vigilor::acquisition
