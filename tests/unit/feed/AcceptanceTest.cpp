#include "feed/Acceptance.h"
#include "tests/support/Builders.h"
#include "tests/support/Printed.h"

#include <gtest/gtest.h>

#include <ranges>

namespace {

using Ids = std::vector<std::int64_t>;

SystemMessage message(std::int64_t id, std::int64_t createdAt = 0) {
    return makeMessage(id, createdAt, QString::number(id));
}

Ids ids(const std::vector<SystemMessage>& messages) {
    const auto view = messages | std::views::transform(&SystemMessage::id);
    return {view.begin(), view.end()};
}

Feed::Acceptance accept(const std::vector<SystemMessage>& fetched, Feed::MessageLists stored = {}) {
    return *Feed::acceptMessages(true, fetched, std::move(stored), Feed::platformTag, u"2.3.41");
}

} // namespace

// Only accepted ids are seen.
TEST(Acceptance, TakesOnlyMessagesForThisPlatformAndVersion) {
    const std::tuple<QStringList, QString, QString, bool> cases[] = {
        {{"Linux"}, "", "", true}, {{"linux"}, "", "", false}, {{"Linux "}, "", "", false},
        {{}, "", "", true},        {{"MacOS"}, "", "", false}, {{"MacOS", "Linux"}, "", "", true},
        {{}, "2.4", "", false},    {{}, "2.3", "2.3", true},   {{}, "", "2.2.99", false},
        {{}, "2.3.42", "", false}, {{}, "", "2.3.40", false},  {{}, "2.3.41", "2.3.41", true}};
    for (const auto& [platform, min, max, accepted] : cases) {
        SCOPED_TRACE((platform.join(u',') + " " + min + "-" + max).toStdString());
        SystemMessage m = message(1);
        std::tie(m.platform, m.min_version, m.max_version) = std::tie(platform, min, max);
        const Feed::Acceptance a = accept({m}, {{}, {9}});
        EXPECT_EQ(std::tuple(ids(a.lists.messages), a.lists.seen, a.changed),
                  accepted ? std::tuple(Ids{1}, Ids{9, 1}, true)
                           : std::tuple(Ids{}, Ids{9}, false));
    }
}

// Of two messages with one id in a feed, the first is taken (the second would sort last).
TEST(Acceptance, SortsByCreationStoredFirstOnTiesTakesTheFirstOfAnIdAndAReorderIsAChange) {
    // Enough equal keys that an unstable sort would show.
    Feed::MessageLists stored;
    std::vector<SystemMessage> fetched{message(100, 5)};
    Ids expected{100};
    for (int i = 1; i <= 40; ++i) {
        (i <= 20 ? stored.messages : fetched).push_back(message(i, 10));
        expected.push_back(i);
    }
    fetched.push_back(message(100, 50));
    EXPECT_EQ(ids(accept(fetched, stored).lists.messages), expected);

    // Reordering the stored list is a change; a failed fetch changes nothing.
    EXPECT_TRUE(accept({}, {{message(1, 30), message(2, 10)}, {}}).changed);
    EXPECT_FALSE(Feed::acceptMessages(false, {}, {{message(1)}, {1}}, Feed::platformTag, u"1"));
}

TEST(Acceptance, PrintsTheOutcomeThenEachTextOnItsOwnLine) {
    SystemMessage twoLines = message(2);
    twoLines.message = QStringLiteral("a\nb");
    EXPECT_EQ(printed([&] {
                  Feed::printReceived(true, QStringLiteral("Success"), {message(1), twoLines});
              }),
              "true Success 2 messages\n1\na b\n");
}
