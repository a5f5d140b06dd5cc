#pragma once

#include "sync/ServerAccess.h"
#include "sync/caldav/CalDavClient.h"

#include <QString>
#include <QUrl>

#include <chrono>
#include <stop_token>
#include <variant>
#include <vector>

// Finds the collections that hold a user's tasks on a CalDAV server: the user's principal,
// its calendar home, then the calendars there that take VTODOs.
namespace Discovery {

using Collection = TaskCollection;

// `server` may be the server's root, a principal or a calendar home; where it names no
// principal, the server's /.well-known/caldav is asked instead. Only `server`'s origin is
// asked: a server that sends you on elsewhere fails the search, saying where. Each request
// ends within `timeout`, and all of them once `stop` is requested.
std::variant<std::vector<Collection>, CalDavClient::Failure>
findTaskCollections(const QUrl& server, const CalDavClient::Credentials& credentials,
                    std::chrono::milliseconds timeout, std::stop_token stop = {});

} // namespace Discovery
