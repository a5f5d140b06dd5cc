#include "sync/Origin.h"

namespace Origin {

int port(const QUrl& url) {
    return url.port(url.scheme() == u"https" ? 443 : 80);
}

bool same(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port(a) == port(b);
}

} // namespace Origin
