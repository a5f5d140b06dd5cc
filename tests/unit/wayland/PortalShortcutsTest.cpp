// The shortcuts portal's client apart from the bus: the triggers it offers, what each answer
// means for each registration, and which activations it takes.
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/portal/PortalBackends.h"
#include "HotKey/portal/PortalBindings.h"
#include "HotKey/portal/PortalTrigger.h"
#include "shortcuts/AssignableKeys.h"
#include "tests/support/FakeHotKeyService.h"

#include <gtest/gtest.h>

namespace {

constexpr ModifierFlags controlAlt = ModifierFlags::control | ModifierFlags::option;

// Every assignable key with Control-Alt, and the keysym's name with any modifiers; nothing for a
// key without a keysym.
TEST(PortalTrigger, NamesTheKeysymWithItsModifiers) {
    for (const Key key : AssignableKeys::all()) {
        EXPECT_EQ(portalTrigger(KeyCombo(key, controlAlt)),
                  QStringLiteral("CTRL+ALT+") + description(key).toLower());
    }
    const std::pair<KeyCombo, std::optional<QString>> cases[] = {
        {{Key::keypad1, ModifierFlags::control | ModifierFlags::shift}, "CTRL+SHIFT+KP_1"},
        {{Key::f5, ModifierFlags::command}, "LOGO+F5"},
        {{Key::return_, controlAlt | ModifierFlags::shift}, "CTRL+ALT+SHIFT+Return"},
        {{Key::function, controlAlt}, std::nullopt},
        {{0xFFFF, 0}, std::nullopt}};
    for (const auto& [combo, trigger] : cases) {
        EXPECT_EQ(portalTrigger(combo), trigger)
            << "code " << combo.carbonKeyCode << " mods " << combo.carbonModifiers;
    }
}

// Two registrations, "done" and one nobody named, in a session of ours: each is asked for by its
// id with its trigger; a subset bound leaves the rest refused; only activations of our session
// are taken.
TEST(PortalBindings, AsksAnswersAndActivations) {
    PortalBindings bindings;
    const QString ours = QStringLiteral("/org/freedesktop/portal/desktop/session/1_2/quenby");
    bindings.setSession(ours);
    const auto done = bindings.add({Key::d, controlAlt}, {1, 11}, {"done", "Mark done"});
    const auto unnamed = bindings.add({Key::h, controlAlt}, {1, 12}, {});
    const PortalShortcuts asked = bindings.requested();
    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(std::tuple(asked[0].id, asked[0].properties.value("description").toString(),
                         asked[0].properties.value("preferred_trigger").toString(), asked[1].id,
                         asked[1].properties.value("description").toString()),
              std::tuple(QString("done"), QString("Mark done"), QString("CTRL+ALT+d"),
                         QString("CTRL+ALT+h"), QString("Ctrl+Alt+H")));

    const PortalShortcuts bound{{"done", {{"trigger_description", "Ctrl+Alt+D"}}}};
    const auto outcomes =
        bindings.answer(PortalBindings::responseDone, {{"shortcuts", QVariant::fromValue(bound)}});
    ASSERT_EQ(outcomes.size(), 2u);
    EXPECT_EQ(std::tuple(outcomes[0].handle, outcomes[0].binding.bound, outcomes[0].binding.trigger,
                         outcomes[1].handle, outcomes[1].binding.bound,
                         outcomes[1].binding.refusal.reason),
              std::tuple(done, true, QString("Ctrl+Alt+D"), unnamed, false,
                         QString("the desktop did not bind it")));

    EXPECT_EQ(std::tuple(bindings.activation(ours, "done").value().id,
                         bindings.activation(ours, "CTRL+ALT+h").value().id),
              std::tuple(11u, 12u));
    EXPECT_FALSE(bindings.activation("/org/freedesktop/portal/desktop/session/1_9/x", "done") ||
                 bindings.activation(ours, "week"));
    bindings.remove(done);
    EXPECT_FALSE(bindings.activation(ours, "done"));
    bindings.setSession({});
    EXPECT_FALSE(bindings.activation({}, "CTRL+ALT+h"));
}

// Whether the portal's shortcuts would come from a backend made for another desktop.
TEST(ForeignBackend, IsFoundFromTheInstalledPortalFiles) {
    const QByteArray kde = "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.kde\n"
                           "Interfaces=org.freedesktop.impl.portal.FileChooser;"
                           "org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=KDE\n";
    const QByteArray wlr =
        "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.wlr\n"
        "Interfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=wlroots;sway\n";
    const QByteArray hyprland = "[portal]\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts\n"
                                "UseIn=wlroots;Hyprland;sway\n";
    const std::tuple<const char*, QList<QByteArray>, QStringList, std::optional<QStringList>>
        cases[] = {{"sway with KDE's", {wlr, kde}, {"sway"}, QStringList{"KDE"}},
                   {"no desktop named", {kde}, {}, QStringList{"KDE"}},
                   {"KDE", {wlr, kde}, {"KDE"}, std::nullopt},
                   {"any case", {kde}, {"ubuntu", "kde"}, std::nullopt},
                   {"sway with its own", {kde, hyprland}, {"sway"}, std::nullopt},
                   {"none says", {wlr}, {"GNOME"}, std::nullopt}};
    for (const auto& [name, portalFiles, currentDesktops, foreign] : cases) {
        EXPECT_EQ(foreignShortcutsBackend(portalFiles, currentDesktops), foreign) << name;
    }
}

// The registry takes a later refusal or binding from the service and tells its observer.
TEST(LaterBinding, ReachesTheRegistryAndItsObserver) {
    auto owned = std::make_unique<FakeHotKeyService>();
    FakeHotKeyService& fake = *owned;
    HotKeysController::setService(std::move(owned));
    int observed = 0;
    HotKeysController::setBindingObserver([&observed] { ++observed; });
    const auto hotKey = HotKey::make(KeyCombo(Key::d, controlAlt), {"done", "Mark done"}, {});
    const HotKeyService::Handle handle = fake.live.at(0).handle;
    EXPECT_TRUE(HotKeysController::isLive(*hotKey));
    fake.bindingHandler(handle, {false, {}, {}});
    EXPECT_FALSE(HotKeysController::isLive(*hotKey));
    fake.bindingHandler(handle, {true, "Super+D", {}});
    EXPECT_TRUE(HotKeysController::isLive(*hotKey));
    EXPECT_EQ(HotKeysController::trigger(*hotKey), "Super+D");
    EXPECT_EQ(observed, 2);
    HotKeysController::setBindingObserver({});
}

} // namespace
