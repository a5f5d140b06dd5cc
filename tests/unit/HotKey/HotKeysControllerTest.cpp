// The registry: ids, boxes and their life cycle, refusals, and the routing of events.
#include "HotKey/HotKeysController.h"
#include "HotKey/DefaultHotKeyService.h"
#include "HotKey/HotKey.h"
#include "HotKeyPrinters.h"
#include "tests/support/FakeHotKeyService.h"
#include "tests/support/Printed.h"

#include <gtest/gtest.h>

namespace {

using Controller = HotKeysController;
using Ids = std::vector<std::uint32_t>;
using Handles = std::vector<HotKeyService::Handle>;

// Each test gets a fresh fake service. Ids keep counting across tests, as they do across a
// process's life, so expectations are relative to the count at the start.
class HotKeysControllerTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Controller::registeredIds().empty());
        auto owned = std::make_unique<FakeHotKeyService>();
        fake = owned.get();
        Controller::setService(std::move(owned));
        base = Controller::hotKeysCount();
    }
    void TearDown() override { EXPECT_TRUE(Controller::registeredIds().empty()); }

    // A Control-Option hot key that counts its presses (+1) and releases (+100) in `calls`.
    std::shared_ptr<HotKey> make(Key key) {
        return HotKey::make(
            key, ModifierFlags::control | ModifierFlags::option, [this] { calls += 1; },
            [this] { calls += 100; });
    }

    FakeHotKeyService* fake = nullptr;
    std::uint32_t base = 0;
    int calls = 0;
};

TEST_F(HotKeysControllerTest, IdsAreNeverReusedALiveKeyIsRegisteredOnceAndReleasingUnregisters) {
    auto first = make(Key::a);
    auto second = make(Key::d);
    ASSERT_EQ(fake->live.size(), 2u);
    EXPECT_EQ(
        std::tuple(fake->live[0].id.id, fake->live[1].id.id, fake->live[0].id.signature,
                   fake->live[0].combo, fake->live[1].combo),
        std::tuple(base + 1, base + 2, 0x5353486Bu, KeyCombo(0, 0x1800), KeyCombo(2, 0x1800)));

    first->setPaused(true);
    EXPECT_EQ(std::tuple(first->isPaused(), fake->unregistered, Controller::registeredIds()),
              std::tuple(true, Handles{1}, Ids{base + 2}));
    // Resumed under a fresh id.
    first->setPaused(false);
    EXPECT_EQ(std::tuple(first->isPaused(), fake->live.at(1).id.id, Controller::hotKeysCount(),
                         Controller::registeredIds()),
              std::tuple(false, base + 3, base + 3, Ids{base + 2, base + 3}));

    // Resuming or registering a live key again does nothing.
    first->setPaused(false);
    Controller::registerHotKey(first);
    EXPECT_EQ(std::tuple(fake->registerCalls, Controller::hotKeysCount()), std::tuple(3, base + 3));
    // Nor can the service be replaced under live keys: the fake stays in place.
    EXPECT_THROW(Controller::setService(std::make_unique<FakeHotKeyService>()), std::logic_error);

    // Releasing unregisters, and a paused key has nothing left to release.
    second->setPaused(true);
    second.reset();
    EXPECT_EQ(fake->unregistered, (Handles{1, 2}));
    first.reset();
    EXPECT_EQ(std::tuple(fake->unregistered, fake->live.size()), std::tuple(Handles{1, 2, 3}, 0u));
}

TEST_F(HotKeysControllerTest, BoxIsStoredBeforeTheServiceIsAskedAndKeptOnRefusal) {
    Ids idsSeenByService;
    fake->onRegister = [&](const KeyCombo&, EventHotKeyID) {
        idsSeenByService = Controller::registeredIds();
    };
    fake->refusing = true;
    auto refused = make(Key::w);
    // No handler was installed: nothing can be delivered.
    EXPECT_EQ(std::tuple(idsSeenByService, Controller::registeredIds(),
                         Controller::isLive(*refused), refused->isPaused(), fake->handlerInstalls,
                         fake->press(base + 1)),
              std::tuple(Ids{base + 1}, Ids{base + 1}, false, false, 0, std::nullopt));
    // A refused box holds no registration to release.
    refused.reset();
    EXPECT_TRUE(fake->unregistered.empty() && Controller::registeredIds().empty());

    fake->refusing = false;
    const auto accepted = make(Key::w);
    // The handler is installed once, at the first successful registration.
    EXPECT_EQ(
        std::tuple(Controller::isLive(*accepted), fake->live.at(0).id.id, fake->handlerInstalls),
        std::tuple(true, base + 2, 1));
    make(Key::a).reset();
    EXPECT_EQ(std::tuple(fake->handlerInstalls, calls), std::tuple(1, 0));
}

TEST_F(HotKeysControllerTest, EventsRunTheHandlerOfTheirKindWhichMayReleaseItsHotKey) {
    auto hotKey = make(Key::d);
    const std::uint32_t id = base + 1;
    EXPECT_EQ((std::tuple{fake->press(id), fake->release(id), calls}),
              std::tuple(noErr, noErr, 101));
    // Another kind of event, or another registry's tag, is passed on.
    EXPECT_EQ(fake->deliver({{Controller::eventHotKeySignature, id}, 7}), eventNotHandledErr);
    EXPECT_EQ(fake->deliver({{0x41424344, id}, kEventHotKeyPressed}), eventNotHandledErr);
    // Handlers can be replaced at any time, or be missing.
    hotKey->setKeyDownHandler([&] { calls += 10; });
    hotKey->setKeyUpHandler({});
    EXPECT_EQ((std::tuple{fake->press(hotKey->keyCombo()), fake->release(id), calls}),
              std::tuple(noErr, eventNotHandledErr, 111));
    hotKey->setKeyDownHandler({});
    EXPECT_EQ(fake->press(id), eventNotHandledErr);
    // A handler may drop itself and release its own hot key.
    hotKey->setKeyDownHandler([&] {
        hotKey->setKeyDownHandler({});
        hotKey.reset();
    });
    EXPECT_EQ((std::tuple{fake->press(id), fake->live.size()}), std::tuple(noErr, 0u));
    EXPECT_EQ(fake->press(id), eventNotHandledErr);
}

TEST_F(HotKeysControllerTest, EventsForGoneOrPausedKeysAreNotHandled) {
    auto gone = make(Key::a);
    const auto paused = make(Key::d);
    gone.reset();
    EXPECT_EQ(
        std::tuple(fake->press(base + 1), fake->press(base + 99), Controller::registeredIds()),
        std::tuple(eventNotHandledErr, eventNotHandledErr, Ids{base + 2}));

    paused->setPaused(true);
    EXPECT_EQ(fake->press(base + 2), eventNotHandledErr);
    // Registered again while still marked paused: its events still arrive and are refused.
    Controller::registerHotKey(paused);
    EXPECT_EQ((std::tuple{fake->press(base + 3), fake->release(base + 3), calls}),
              std::tuple(eventNotHandledErr, eventNotHandledErr, 0));
    paused->setPaused(false);
    EXPECT_EQ((std::tuple{fake->press(base + 3), calls}), std::tuple(noErr, 1));
}

// These tests run on Qt's offscreen platform: there is no X11 connection.
TEST(DefaultHotKeyService, WithoutX11EveryRegistrationIsRefusedAndReported) {
    Controller::setService(makeDefaultHotKeyService());
    std::shared_ptr<HotKey> hotKey, unknownKey;
    EXPECT_EQ(printed([&] {
                  hotKey = HotKey::make(Key::d, ModifierFlags::control | ModifierFlags::option);
                  unknownKey = HotKey::make(10, 0x1800);
              }),
              "Hot key Ctrl+Alt+D refused: no X11 connection\n"
              "Hot key Ctrl+Alt+(key code 10) refused: no X11 connection\n");
    EXPECT_FALSE(Controller::isLive(*hotKey));
    EXPECT_EQ(Controller::registeredIds().size(), 2u);
}

} // namespace
