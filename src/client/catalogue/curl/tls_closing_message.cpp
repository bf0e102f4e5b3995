#include "client/catalogue/curl/tls_closing_message.h"

#include <openssl/ssl.h>

#include <string_view>

namespace quorvel::catalogue {
namespace {

bool TlsIsOpenSsl() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  return info != nullptr && info->ssl_version != nullptr &&
         std::string_view(info->ssl_version).starts_with("OpenSSL/");
}

int SeenSlot() {
  static const int slot = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return slot;
}

// OpenSSL tells of every alert; the one wanted is the peer's closing message.
void NoteAlert(const SSL* ssl, int where, int alert) {
  if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY) {
    return;
  }
  if (auto* seen = static_cast<bool*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), SeenSlot()))) {
    *seen = true;
  }
}

// Each connection's context reports to the flag of the transfer that made it.
CURLcode PrepareContext(CURL*, void* context, void* seen) {
  auto* tls = static_cast<SSL_CTX*>(context);
  SSL_CTX_set_ex_data(tls, SeenSlot(), seen);
  SSL_CTX_set_info_callback(tls, &NoteAlert);
  return CURLE_OK;
}

}  // namespace

bool WatchForTlsClosingMessage(CURL* easy, bool* seen) {
  static const bool open_ssl = TlsIsOpenSsl();
  if (!open_ssl) return false;
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &PrepareContext);
  curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, seen);
  return true;
}

}  // namespace quorvel::catalogue
