// Modifier flags in their Carbon, Qt and X11 forms, key combinations, their stored form, and the
// lists of combinations in use.
#include "HotKey/KeyCombo.h"
#include "HotKey/X11KeySymbols.h"
#include "HotKeyPrinters.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>
#include <xcb/xproto.h>

#include <algorithm>
#include <limits>

namespace {

using Mod = ModifierFlags;
const Mod controlOption = Mod::control | Mod::option;

TEST(ModifierFlags, KeepTheFourShortcutModifiersAndDropEveryOtherBitInEveryForm) {
    EXPECT_EQ(controlOption.rawValue, 0xC0000u);
    EXPECT_EQ(controlOption.carbonFlags(), 0x1800u);

    const Mod noise = Mod::capsLock | Mod::numericPad | Mod::help | Mod::function |
                      Mod{0xFFFF}; // device-dependent bits
    EXPECT_EQ(noise.carbonFlags(), 0u);
    EXPECT_EQ((noise | Mod::shift).carbonFlags(), 0x0200u);
    // Caps lock (0x0400) and the unused low bits of a Carbon mask read as nothing.
    EXPECT_EQ(Mod::fromCarbonFlags(0x0400 | 0x00FF | 0xE000), Mod{});
    EXPECT_EQ(Mod::fromCarbonFlags(0x1B00), Mod::control | Mod::option | Mod::shift | Mod::command);

    EXPECT_EQ(Mod::fromQt(Qt::ControlModifier | Qt::AltModifier), controlOption);
    EXPECT_EQ(Mod::fromQt(Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier),
              Mod::command | Mod::shift);

    using namespace CarbonModifiers;
    EXPECT_EQ((std::vector{x11Modifiers(control), x11Modifiers(option), x11Modifiers(shift),
                           x11Modifiers(command), x11Modifiers(control | option | shift | command),
                           x11Modifiers(0x0400 | 0x00FF | 0xE000)}),
              (std::vector<decltype(x11Modifiers(0))>{
                  XCB_MOD_MASK_CONTROL, XCB_MOD_MASK_1, XCB_MOD_MASK_SHIFT, XCB_MOD_MASK_4,
                  XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4, 0}));
}

TEST(KeyCombo, BuildsFromKeyAndModifiersOrFromCodes) {
    KeyCombo combo(Key::a, controlOption);
    EXPECT_EQ(std::tuple(combo.carbonKeyCode, combo.carbonModifiers, combo.description(),
                         combo.modifiers(), combo.isValid()),
              std::tuple(0u, 0x1800u, QString::fromUtf8("⌃⌥A"), controlOption, true));
    EXPECT_EQ(combo, KeyCombo(0, 0x1800));
    EXPECT_NE(combo, KeyCombo(0, 0x1000));

    combo.setKey(Key::f5);
    combo.setModifiers(Mod::command | Mod::capsLock);
    EXPECT_EQ(combo, KeyCombo(96, 0x0100));
    EXPECT_EQ(combo.description(), QString::fromUtf8("⌘\uF860F5"));
    // Named to the user in the PC keyboard's words.
    EXPECT_EQ(KeyCombo(Key::one, Mod::shift | Mod::command).keyboardName(), "Shift+Super+1");

    // No key stores code 0, which reads back as A.
    combo.setKey(std::nullopt);
    EXPECT_EQ(std::tuple(combo.carbonKeyCode, combo.key()), std::tuple(0u, std::optional(Key::a)));

    // An unknown code has no key and describes its modifiers only.
    const KeyCombo unknown(10, 0x1B00);
    EXPECT_EQ(std::tuple(unknown.key(), unknown.description(), KeyCombo(200, 0).description(),
                         KeyCombo(10, 0).keyboardName(), KeyCombo::carbonKeyCodeToString(0)),
              std::tuple(std::nullopt, QString::fromUtf8("⌃⌥⇧⌘"), QString(),
                         QString("(key code 10)"), std::nullopt));
}

TEST(KeyComboDictionary, RoundTripsAndRefusesMissingNonIntegerAndOutOfRangeValues) {
    const QVariantMap dictionary = KeyCombo(Key::a, controlOption).dictionary();
    EXPECT_EQ(std::tuple(dictionary.size(), dictionary.value("keyCode").toLongLong(),
                         dictionary.value("modifiers").toLongLong()),
              std::tuple(2, 0, 6144));

    for (const KeyCombo& combo :
         {KeyCombo(Key::a, controlOption), KeyCombo(127, 0), KeyCombo(0xFFFFFFFF, 0xFFFFFFFF)}) {
        EXPECT_EQ(KeyCombo::fromDictionary(combo.dictionary()), combo);
    }
    // Any integer type will do.
    EXPECT_EQ(KeyCombo::fromDictionary({{"keyCode", 2}, {"modifiers", 4096u}}), KeyCombo(2, 4096));

    EXPECT_FALSE(KeyCombo::fromDictionary({}) || KeyCombo::fromDictionary({{"keyCode", 2}}) ||
                 KeyCombo::fromDictionary({{"modifiers", 2}}));
    for (const QVariant& bad :
         {QVariant(QStringLiteral("2")), QVariant(2.0), QVariant(true), QVariant(), QVariant(-1),
          QVariant(qlonglong{0x100000000}), QVariant(qulonglong{0x100000000}),
          QVariant(std::numeric_limits<qlonglong>::min())}) {
        EXPECT_EQ(KeyCombo::fromDictionary({{"keyCode", bad}, {"modifiers", 0x1800}}), std::nullopt)
            << bad.toString().toStdString();
    }
    // An extra entry does not matter.
    EXPECT_EQ(KeyCombo::fromDictionary({{"keyCode", 2}, {"modifiers", 0x1800}, {"x", 1}}),
              KeyCombo(2, 0x1800));
}

TEST(KeyComboLists, StandardCombosInTheirFixedOrder) {
    QStringList described;
    std::ranges::transform(KeyCombo::standardKeyCombos(), std::back_inserter(described),
                           &KeyCombo::description);
    EXPECT_EQ(described.join(QLatin1Char(' ')),
              QString::fromUtf8("⌘, ⌘H ⌥⌘H ⌘Q ⌘N ⌘O ⌘W ⌘S ⇧⌘S ⌘R ⇧⌘P ⌘P ⌘Z ⇧⌘Z ⌘X ⌘C ⌘V ⌥⇧⌘V "
                                "⌘A ⌘F ⌥⌘F ⌘G ⇧⌘G ⌘E ⌘J ⇧⌘; ⌘; ⌘T ⌘B ⌘I ⌘U ⇧⌘= ⌘- ⇧⌘C ⌥⌘C "
                                "⌥⌘V ⇧⌘[ ⇧⌘\\ ⇧⌘] ⌃⌘C ⌃⌘V ⌥⌘T ⌃⌘S ⌃⌘F ⌘M ⇧⌘/"));
    EXPECT_TRUE(KeyCombo::systemKeyCombos().empty());
}

TEST(KeyComboLists, MenuShortcutsDepthFirstAndTheMainMenus) {
    QMenu menu;
    menu.addAction("x")->setShortcut(QKeySequence("Ctrl+Q"));
    menu.addSeparator();
    menu.addAction("x");
    QMenu* sub = menu.addMenu("More");
    sub->addAction("x")->setShortcut(QKeySequence("Meta+,"));
    sub->addAction("x")->setShortcut(QKeySequence("Ctrl+Up")); // no key of ours
    sub->addMenu("Deeper")->addAction("x")->setShortcut(QKeySequence("F1"));
    menu.addAction("x")->setShortcut(QKeySequence("Ctrl+Alt+Shift+Space"));
    // The submenu's own entry can carry a shortcut too; it comes before the submenu's items.
    sub->menuAction()->setShortcut(QKeySequence("Alt+M"));
    EXPECT_EQ(KeyCombo::keyCombos(menu),
              (std::vector{KeyCombo(Key::q, Mod::control), KeyCombo(Key::m, Mod::option),
                           KeyCombo(Key::comma, Mod::command), KeyCombo(Key::f1, Mod{}),
                           KeyCombo(Key::space, controlOption | Mod::shift)}));

    // The main menu is the top-level menu named so, not just any.
    EXPECT_TRUE(KeyCombo::mainMenuKeyCombos().empty());
    QMenu mainMenu;
    mainMenu.setObjectName(QLatin1String(KeyCombo::mainMenuObjectName));
    mainMenu.addAction("x")->setShortcut(QKeySequence("Ctrl+Q"));
    EXPECT_EQ(KeyCombo::mainMenuKeyCombos(), std::vector<KeyCombo>{KeyCombo(Key::q, Mod::control)});
}

} // namespace
