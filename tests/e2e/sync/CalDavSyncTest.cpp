#include "Builders.h"
#include "SyncDevice.h"

namespace {

// Two devices syncing through one server, on each kind of server.
class TwoDevices : public testing::TestWithParam<CalDavServer::Kind> {
protected:
    void SetUp() override { ASSERT_TRUE(server.start()); }
    void TearDown() override {
        if (GetParam() == CalDavServer::Kind::RadicaleWithoutSyncReports) {
            EXPECT_GT(server.refusals(), 0);
        }
    }
    CalDavServer server{GetParam()};
    Device a;
    Device b;
};

TEST_P(TwoDevices, ChangesOnEitherSideReachTheOther) {
    a.tasks = {makeTask(QStringLiteral("Pay rent"), 10), makeTask(QStringLiteral("Call mum"), 11),
               makeTask(QStringLiteral("Water plants"), 12),
               makeTutorial(QStringLiteral("hint"), 1)};
    EXPECT_EQ(a.sync(server.client(), 100), QString());
    EXPECT_EQ(b.sync(server.client(), 110), QString());
    EXPECT_EQ(marked(b.tasks), QStringList({QStringLiteral("Call mum"), QStringLiteral("Pay rent"),
                                            QStringLiteral("Water plants")}));

    b.named(QStringLiteral("Pay rent")).name = QStringLiteral("Pay the rent");
    b.named(QStringLiteral("Call mum")).isDone = true;
    a.named(QStringLiteral("Pay rent")).isSnoozed = true;
    a.named(QStringLiteral("Pay rent")).snoozedUntil = Date{900'000'000};
    a.tasks.erase(a.tasks.begin() + 2);
    for (Device* d : {&b, &a, &b}) {
        EXPECT_EQ(d->sync(server.client(), 200), QString());
    }
    const QStringList expected{QStringLiteral("Call mum (done)"),
                               QStringLiteral("Pay the rent (snoozed)"), QStringLiteral("hint")};
    EXPECT_EQ(marked(a.tasks), expected);
    EXPECT_EQ(marked(b.tasks), expected.mid(0, 2));
}

INSTANTIATE_TEST_SUITE_P(Servers, TwoDevices,
                         testing::Values(CalDavServer::Kind::Radicale, CalDavServer::Kind::Xandikos,
                                         CalDavServer::Kind::RadicaleWithoutSyncReports),
                         [](const auto& p) { return CalDavServer::name(p.param); });

} // namespace
