#include "HotKey/HotKeysController.h"
#include "HotKey/HotKey.h"
#include "HotKeyPrinters.h"
#include "tests/support/FakeHotKeyService.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;

// Each test gets a fresh fake service. Ids keep counting across tests, as they do across a
// process's life, so expectations are relative to the count at the start.
class HotKeysControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HotKeysController::registeredIds().empty());
        auto owned = std::make_unique<FakeHotKeyService>();
        fake = owned.get();
        HotKeysController::setService(std::move(owned));
        base = HotKeysController::hotKeysCount();
    }
    void TearDown() override { EXPECT_TRUE(HotKeysController::registeredIds().empty()); }

    std::shared_ptr<HotKey> make(Key key, HotKey::Handler down = {}, HotKey::Handler up = {}) {
        return HotKey::make(key, controlOption, std::move(down), std::move(up));
    }

    FakeHotKeyService* fake = nullptr;
    std::uint32_t base = 0;
};

TEST_F(HotKeysControllerTest, IdsCountUpAndAreNeverReused) {
    const auto first = make(Key::a);
    const auto second = make(Key::d);
    ASSERT_EQ(fake->live.size(), 2u);
    EXPECT_EQ(fake->live[0].id.id, base + 1);
    EXPECT_EQ(fake->live[1].id.id, base + 2);
    EXPECT_EQ(fake->live[0].id.signature, 0x5353486Bu);
    EXPECT_EQ(fake->live[0].combo, KeyCombo(0, 0x1800));
    EXPECT_EQ(fake->live[1].combo, KeyCombo(2, 0x1800));

    first->setPaused(true);
    EXPECT_TRUE(first->isPaused());
    EXPECT_EQ(fake->unregistered, std::vector<HotKeyService::Handle>{1});
    EXPECT_EQ(HotKeysController::registeredIds(), std::vector<std::uint32_t>{base + 2});

    first->setPaused(false);
    EXPECT_FALSE(first->isPaused());
    ASSERT_EQ(fake->live.size(), 2u);
    EXPECT_EQ(fake->live[1].id.id, base + 3);
    EXPECT_EQ(HotKeysController::hotKeysCount(), base + 3);
    EXPECT_EQ(HotKeysController::registeredIds(), (std::vector<std::uint32_t>{base + 2, base + 3}));
}

TEST_F(HotKeysControllerTest, ResumingALiveKeyOrRegisteringTwiceDoesNothing) {
    const auto hotKey = make(Key::h);
    hotKey->setPaused(false);
    HotKeysController::registerHotKey(hotKey);
    EXPECT_EQ(fake->registerCalls, 1);
    EXPECT_EQ(HotKeysController::hotKeysCount(), base + 1);
}

TEST_F(HotKeysControllerTest, ReleasingUnregistersAndAPausedKeyHasNothingLeftToRelease) {
    auto live = make(Key::one);
    auto paused = make(Key::two);
    paused->setPaused(true);
    ASSERT_EQ(fake->unregistered.size(), 1u);

    paused.reset();
    EXPECT_EQ(fake->unregistered.size(), 1u);
    live.reset();
    EXPECT_EQ(fake->unregistered, (std::vector<HotKeyService::Handle>{2, 1}));
    EXPECT_TRUE(fake->live.empty());
}

TEST_F(HotKeysControllerTest, BoxIsStoredBeforeTheServiceIsAskedAndKeptOnRefusal) {
    std::vector<std::uint32_t> idsSeenByService;
    fake->onRegister = [&](const KeyCombo&, EventHotKeyID) {
        idsSeenByService = HotKeysController::registeredIds();
    };
    fake->refusing = true;
    auto refused = make(Key::w, [] { FAIL() << "a refused hot key fired"; });
    EXPECT_EQ(idsSeenByService, std::vector<std::uint32_t>{base + 1});
    EXPECT_EQ(HotKeysController::registeredIds(), std::vector<std::uint32_t>{base + 1});
    EXPECT_FALSE(HotKeysController::isLive(*refused));
    EXPECT_FALSE(refused->isPaused());
    // No handler was installed: nothing can be delivered.
    EXPECT_EQ(fake->handlerInstalls, 0);
    EXPECT_EQ(fake->press(base + 1), std::nullopt);

    // A refused box holds no registration to release.
    refused.reset();
    EXPECT_TRUE(fake->unregistered.empty());
    EXPECT_TRUE(HotKeysController::registeredIds().empty());

    fake->refusing = false;
    const auto accepted = make(Key::w);
    EXPECT_TRUE(HotKeysController::isLive(*accepted));
    EXPECT_EQ(fake->live.at(0).id.id, base + 2);
}

TEST_F(HotKeysControllerTest, HandlerIsInstalledOnceAtTheFirstSuccessfulRegistration) {
    auto a = make(Key::a);
    auto d = make(Key::d);
    a.reset();
    d.reset();
    auto t = make(Key::t);
    EXPECT_EQ(fake->handlerInstalls, 1);
}

TEST_F(HotKeysControllerTest, PressAndReleaseRunTheirHandlers) {
    int downs = 0;
    int ups = 0;
    const auto hotKey = make(
        Key::d, [&] { ++downs; }, [&] { ++ups; });
    const std::uint32_t id = base + 1;

    EXPECT_EQ(fake->press(id), noErr);
    EXPECT_EQ(fake->release(id), noErr);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups, 1);

    // Another kind of event, or another registry's tag, is passed on.
    EXPECT_EQ(fake->deliver({{HotKeysController::eventHotKeySignature, id}, 7}),
              eventNotHandledErr);
    EXPECT_EQ(fake->deliver({{0x41424344, id}, kEventHotKeyPressed}), eventNotHandledErr);
    EXPECT_EQ(downs, 1);

    // Handlers can be replaced at any time.
    hotKey->setKeyDownHandler([&] { downs += 10; });
    EXPECT_EQ(fake->press(KeyCombo(Key::d, controlOption)), noErr);
    EXPECT_EQ(downs, 11);
}

TEST_F(HotKeysControllerTest, KeyUpWithoutAHandlerIsNotHandled) {
    int downs = 0;
    const auto hotKey = make(Key::d, [&] { ++downs; });
    EXPECT_EQ(fake->release(base + 1), eventNotHandledErr);
    EXPECT_EQ(fake->press(base + 1), noErr);
    const auto silent = make(Key::h);
    EXPECT_EQ(fake->press(base + 2), eventNotHandledErr);
    EXPECT_EQ(downs, 1);
}

TEST_F(HotKeysControllerTest, EventsForGoneIdsAreNotHandled) {
    int downs = 0;
    auto gone = make(Key::a, [&] { ++downs; });
    const auto staying = make(Key::d, [&] { downs += 100; });
    gone.reset();
    EXPECT_EQ(fake->press(base + 1), eventNotHandledErr);
    EXPECT_EQ(fake->press(base + 99), eventNotHandledErr);
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(HotKeysController::registeredIds(), std::vector<std::uint32_t>{base + 2});
    EXPECT_EQ(fake->press(base + 2), noErr);
    EXPECT_EQ(downs, 100);
}

TEST_F(HotKeysControllerTest, PausedKeysIgnoreTheirEvents) {
    int calls = 0;
    const auto hotKey = make(
        Key::a, [&] { ++calls; }, [&] { ++calls; });
    hotKey->setPaused(true);
    EXPECT_EQ(fake->press(base + 1), eventNotHandledErr);
    // Registered again while still marked paused: its events still arrive and are refused.
    HotKeysController::registerHotKey(hotKey);
    EXPECT_EQ(fake->live.at(0).id.id, base + 2);
    EXPECT_EQ(fake->press(base + 2), eventNotHandledErr);
    EXPECT_EQ(fake->release(base + 2), eventNotHandledErr);
    EXPECT_EQ(calls, 0);
    hotKey->setPaused(false);
    EXPECT_EQ(fake->press(base + 2), noErr);
    EXPECT_EQ(calls, 1);
}

TEST_F(HotKeysControllerTest, AHandlerMayReleaseItsOwnHotKey) {
    std::shared_ptr<HotKey> hotKey;
    int downs = 0;
    hotKey = make(Key::d, [&] {
        ++downs;
        hotKey->setKeyDownHandler({});
        hotKey.reset();
    });
    EXPECT_EQ(fake->press(base + 1), noErr);
    EXPECT_EQ(downs, 1);
    EXPECT_TRUE(fake->live.empty());
    EXPECT_EQ(fake->press(base + 1), eventNotHandledErr);
}

TEST_F(HotKeysControllerTest, ServiceCannotBeReplacedUnderLiveHotKeys) {
    const auto hotKey = make(Key::a);
    EXPECT_THROW(HotKeysController::setService(std::make_unique<FakeHotKeyService>()),
                 std::logic_error);
    EXPECT_EQ(fake->press(base + 1), eventNotHandledErr); // the fake is still in place
}

} // namespace
