#pragma once

#include <QUrl>

// Where a password may go: an address's scheme, host and port.
namespace Origin {

// The port `url` names, or its scheme's default.
int port(const QUrl& url);
// The one comparison of origins: the account's addresses and every request go through it.
bool same(const QUrl& a, const QUrl& b);

} // namespace Origin
