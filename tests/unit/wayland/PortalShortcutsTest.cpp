// The shortcuts portal's client apart from the bus: the triggers it offers, what each answer
// means for each registration, and which activations it takes.
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"
#include "HotKey/portal/PortalBackends.h"
#include "HotKey/portal/PortalBindings.h"
#include "HotKey/portal/PortalTrigger.h"
#include "shortcuts/AssignableKeys.h"
#include "store/DBManager.h"
#include "tests/support/FakeHotKeyService.h"

#include <gtest/gtest.h>

namespace {

constexpr ModifierFlags controlAlt = ModifierFlags::control | ModifierFlags::option;

TEST(PortalTrigger, NamesEveryAssignableKeyWithControlAlt) {
    for (const Key key : AssignableKeys::all()) {
        EXPECT_EQ(portalTrigger(KeyCombo(key, controlAlt)),
                  QStringLiteral("CTRL+ALT+") + description(key).toLower());
    }
}

struct TriggerCase {
    KeyCombo combo;
    std::optional<QString> trigger;
};

void PrintTo(const TriggerCase& c, std::ostream* os) {
    *os << "code " << c.combo.carbonKeyCode << " mods " << c.combo.carbonModifiers;
}

class PortalTriggerTable : public testing::TestWithParam<TriggerCase> {};

TEST_P(PortalTriggerTable, UsesTheKeysymName) {
    EXPECT_EQ(portalTrigger(GetParam().combo), GetParam().trigger);
}

INSTANTIATE_TEST_SUITE_P(
    , PortalTriggerTable,
    testing::Values(TriggerCase{{Key::keypad1, ModifierFlags::control | ModifierFlags::shift},
                                "CTRL+SHIFT+KP_1"},
                    TriggerCase{{Key::f5, ModifierFlags::command}, "LOGO+F5"},
                    TriggerCase{{Key::return_, controlAlt | ModifierFlags::shift},
                                "CTRL+ALT+SHIFT+Return"},
                    TriggerCase{{Key::function, controlAlt}, std::nullopt},
                    TriggerCase{{0xFFFF, 0}, std::nullopt}));

// Two registrations, "done" and one nobody named, in a session of ours.
class PortalBindingsTest : public testing::Test {
protected:
    PortalBindingsTest() {
        bindings.setSession(ours);
        done = bindings.add({Key::d, controlAlt}, {1, 11}, {"done", "Mark done"});
        unnamed = bindings.add({Key::h, controlAlt}, {1, 12}, {});
    }

    PortalBindings bindings;
    const QString ours = QStringLiteral("/org/freedesktop/portal/desktop/session/1_2/quenby");
    PortalBindings::Handle done = 0;
    PortalBindings::Handle unnamed = 0;
};

// Each shortcut is asked for by its id with its trigger; a subset bound leaves the rest refused;
// only activations of our session are taken.
TEST_F(PortalBindingsTest, AsksAnswersAndActivations) {
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
struct BackendCase {
    const char* name;
    QList<QByteArray> portalFiles;
    QStringList currentDesktops;
    std::optional<QStringList> foreign;
};

void PrintTo(const BackendCase& c, std::ostream* os) {
    *os << c.name;
}

class ForeignBackend : public testing::TestWithParam<BackendCase> {};

TEST_P(ForeignBackend, IsFoundFromTheInstalledPortalFiles) {
    EXPECT_EQ(foreignShortcutsBackend(GetParam().portalFiles, GetParam().currentDesktops),
              GetParam().foreign);
}

const QByteArray kde = "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.kde\n"
                       "Interfaces=org.freedesktop.impl.portal.FileChooser;"
                       "org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=KDE\n";
const QByteArray wlr = "[portal]\nDBusName=org.freedesktop.impl.portal.desktop.wlr\n"
                       "Interfaces=org.freedesktop.impl.portal.Screenshot;\nUseIn=wlroots;sway\n";
const QByteArray hyprland = "[portal]\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts\n"
                            "UseIn=wlroots;Hyprland;sway\n";

INSTANTIATE_TEST_SUITE_P(
    , ForeignBackend,
    testing::Values(BackendCase{"SwayWithKde", {wlr, kde}, {"sway"}, QStringList{"KDE"}},
                    BackendCase{"NoDesktopNamed", {kde}, {}, QStringList{"KDE"}},
                    BackendCase{"Kde", {wlr, kde}, {"KDE"}, std::nullopt},
                    BackendCase{"AnyCase", {kde}, {"ubuntu", "kde"}, std::nullopt},
                    BackendCase{"SwayWithItsOwn", {kde, hyprland}, {"sway"}, std::nullopt},
                    BackendCase{"NoneSays", {wlr}, {"GNOME"}, std::nullopt}));

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
