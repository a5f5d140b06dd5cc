// The feed from body to stored lists: parsing (with its value lines) and acceptance against
// a seen list of 10,000 ids, beside Qt's own JSON parser reading the same body.
#include "Goals.h"
#include "feed/APIManager.h"
#include "feed/Acceptance.h"
#include "feed/FeedParser.h"

#include <QJsonDocument>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr int repetitions = 15;
constexpr int seenCount = 10000;

// `count` short messages, so that 10,000 still fit the body cap: the largest feed that is
// parsed at all. The first half have ids the seen list lacks; every fourth is meant for
// another platform.
QByteArray feedBody(int count) {
    QByteArray body = "[";
    for (int i = 0; i < count; ++i) {
        const QByteArray id = QByteArray::number(i < count / 2 ? seenCount + i : i);
        body += (i ? R"(,{"id":)" : R"({"id":)") + id + R"(,"created_at":)" +
                QByteArray::number(1700000000 + (i * 7919) % 100000) + R"(,"platform":)" +
                (i % 4 == 0 ? R"(["MacOS"])" : R"(["Linux"])") +
                R"(,"maximum_version":"9","message":"News )" + id + R"("})";
    }
    return body + ']';
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Medians of wall time and of this thread's CPU time (user and system, page faults
// included); on a shared machine the wall time also holds time given to other processes.
struct Timing {
    double wall;
    double cpu;
};

template <typename Work> Timing median(Work work) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuMs();
        work();
        cpu.push_back(threadCpuMs() - cpuStart);
        wall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    return {Goals::median(wall), Goals::median(cpu)};
}

} // namespace

int main() {
    Feed::MessageLists stored;
    for (int i = 0; i < seenCount; ++i) {
        stored.seen.push_back(i);
    }
    const QString version = QStringLiteral("2.3.41");

    std::printf("Feed: median ms of %d runs (wall / thread CPU); seen list of %d ids\n",
                repetitions, seenCount);
    std::printf("%8s %6s %8s %14s %14s %14s %14s\n", "messages", "KB", "accepted", "parse",
                "accept", "parse+accept", "QJson parse");
    const auto cell = [](Timing t) {
        return Goals::format("%.2f", t.wall) + Goals::format(" / %.2f", t.cpu);
    };
    Timing total10k{};
    for (const int count : {1000, 10000}) {
        const QByteArray body = feedBody(count);
        if (body.size() > APIManager::maxBodyBytes) {
            std::printf("the feed of %d messages is over the body cap\n", count);
            return 1;
        }
        const std::vector<SystemMessage> fetched = *Feed::parseFeed(body).messages;
        const auto acceptFetched = [&](const std::vector<SystemMessage>& messages) {
            return Feed::acceptMessages(true, messages, stored, Feed::platformTag, version);
        };
        const Timing parse = median([&] { Feed::parseFeed(body); });
        const Timing accept = median([&] { acceptFetched(fetched); });
        const Timing total = median([&] { acceptFetched(*Feed::parseFeed(body).messages); });
        const Timing qjson = median([&] { QJsonDocument::fromJson(body); });
        std::printf("%8d %6lld %8zu %14s %14s %14s %14s\n", count,
                    static_cast<long long>(body.size() / 1024),
                    acceptFetched(fetched)->lists.messages.size(), cell(parse).c_str(),
                    cell(accept).c_str(), cell(total).c_str(), cell(qjson).c_str());
        total10k = total;
    }
    // Judged on wall time, the wait the application sees; the CPU time beside it shows how
    // much of that other processes took on a shared machine.
    Goals::print("feed-accept-10k", Goals::format("%.2fms", total10k.wall), "20ms",
                 total10k.wall <= 20.0);
    return 0;
}
