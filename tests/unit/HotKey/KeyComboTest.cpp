#include "HotKey/KeyCombo.h"
#include "HotKeyPrinters.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace {

const ModifierFlags controlOption = ModifierFlags::control | ModifierFlags::option;

TEST(ModifierFlags, KeepTheFourShortcutModifiersAndDropEveryOtherBit) {
    EXPECT_EQ(controlOption.rawValue, 0xC0000u);
    EXPECT_EQ(controlOption.carbonFlags(), 0x1800u);
    EXPECT_EQ((ModifierFlags::capsLock | ModifierFlags::command).carbonFlags(), 0x0100u);
    EXPECT_EQ(ModifierFlags::fromCarbonFlags(0x0100), ModifierFlags::command);

    const ModifierFlags noise = ModifierFlags::capsLock | ModifierFlags::numericPad |
                                ModifierFlags::help | ModifierFlags::function |
                                ModifierFlags{0xFFFF}; // device-dependent bits
    EXPECT_EQ(noise.carbonFlags(), 0u);
    EXPECT_EQ((noise | ModifierFlags::shift).carbonFlags(), 0x0200u);
    // Caps lock (0x0400) and the unused low bits of a Carbon mask read as nothing.
    EXPECT_EQ(ModifierFlags::fromCarbonFlags(0x0400 | 0x00FF | 0xE000), ModifierFlags{});
    EXPECT_EQ(ModifierFlags::fromCarbonFlags(0x1B00),
              ModifierFlags::control | ModifierFlags::option | ModifierFlags::shift |
                  ModifierFlags::command);

    EXPECT_EQ(ModifierFlags::fromQt(Qt::ControlModifier | Qt::AltModifier), controlOption);
    EXPECT_EQ(ModifierFlags::fromQt(Qt::MetaModifier | Qt::ShiftModifier | Qt::KeypadModifier),
              ModifierFlags::command | ModifierFlags::shift);
}

TEST(ModifierFlags, SymbolsComeInFixedOrder) {
    EXPECT_EQ(ModifierFlags{}.description(), QString());
    EXPECT_EQ((ModifierFlags::command | ModifierFlags::shift | ModifierFlags::option |
               ModifierFlags::control)
                  .description(),
              QString::fromUtf8("⌃⌥⇧⌘"));
    EXPECT_EQ((ModifierFlags::command | ModifierFlags::control).description(),
              QString::fromUtf8("⌃⌘"));
    EXPECT_EQ(ModifierFlags::fromCarbonFlags(0x0A00).description(), QString::fromUtf8("⌥⇧"));
}

TEST(KeyCombo, BuildsFromKeyAndModifiers) {
    KeyCombo combo(Key::a, controlOption);
    EXPECT_EQ(combo.carbonKeyCode, 0u);
    EXPECT_EQ(combo.carbonModifiers, 0x1800u);
    EXPECT_EQ(combo.description(), QString::fromUtf8("⌃⌥A"));
    EXPECT_EQ(combo.modifiers(), controlOption);
    EXPECT_EQ(combo, KeyCombo(0, 0x1800));
    EXPECT_NE(combo, KeyCombo(0, 0x1000));
    EXPECT_TRUE(combo.isValid());

    combo.setKey(Key::f5);
    combo.setModifiers(ModifierFlags::command | ModifierFlags::capsLock);
    EXPECT_EQ(combo, KeyCombo(96, 0x0100));
    EXPECT_EQ(combo.description(), QString::fromUtf8("⌘\uF860F5"));

    // No key stores code 0, which reads back as A.
    combo.setKey(std::nullopt);
    EXPECT_EQ(combo.carbonKeyCode, 0u);
    EXPECT_EQ(combo.key(), Key::a);
}

TEST(KeyCombo, UnknownCodeHasNoKeyAndDescribesItsModifiersOnly) {
    const KeyCombo unknown(10, 0x1B00);
    EXPECT_EQ(unknown.key(), std::nullopt);
    EXPECT_EQ(unknown.description(), QString::fromUtf8("⌃⌥⇧⌘"));
    EXPECT_EQ(KeyCombo(200, 0).description(), QString());
    EXPECT_EQ(KeyCombo::carbonKeyCodeToString(0), std::nullopt);
}

TEST(KeyComboDictionary, RoundTrips) {
    const QVariantMap dictionary = KeyCombo(Key::a, controlOption).dictionary();
    EXPECT_EQ(dictionary.size(), 2);
    EXPECT_EQ(dictionary.value(QStringLiteral("keyCode")).toLongLong(), 0);
    EXPECT_EQ(dictionary.value(QStringLiteral("modifiers")).toLongLong(), 6144);

    for (const KeyCombo& combo :
         {KeyCombo(Key::a, controlOption), KeyCombo(127, 0), KeyCombo(0xFFFFFFFF, 0xFFFFFFFF)}) {
        EXPECT_EQ(KeyCombo::fromDictionary(combo.dictionary()), combo);
    }
    // Any integer type will do.
    const QVariantMap narrow{{QStringLiteral("keyCode"), 2}, {QStringLiteral("modifiers"), 4096u}};
    EXPECT_EQ(KeyCombo::fromDictionary(narrow), KeyCombo(2, 4096));
}

TEST(KeyComboDictionary, RefusesMissingNonIntegerAndOutOfRangeValues) {
    const auto withKeyCode = [](const QVariant& keyCode) {
        return QVariantMap{{QStringLiteral("keyCode"), keyCode},
                           {QStringLiteral("modifiers"), 0x1800}};
    };
    EXPECT_EQ(KeyCombo::fromDictionary({}), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary({{QStringLiteral("keyCode"), 2}}), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary({{QStringLiteral("modifiers"), 2}}), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(QStringLiteral("2"))), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(2.0)), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(true)), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(QVariant())), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(-1)), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(qlonglong{0x100000000})), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(qulonglong{0x100000000})), std::nullopt);
    EXPECT_EQ(KeyCombo::fromDictionary(withKeyCode(std::numeric_limits<qlonglong>::min())),
              std::nullopt);
    // An extra entry does not matter.
    QVariantMap extra = withKeyCode(2);
    extra.insert(QStringLiteral("other"), QStringLiteral("x"));
    EXPECT_EQ(KeyCombo::fromDictionary(extra), KeyCombo(2, 0x1800));
}

TEST(KeyComboLists, StandardCombosInTheirFixedOrder) {
    const std::vector<KeyCombo> combos = KeyCombo::standardKeyCombos();
    ASSERT_EQ(combos.size(), 46u);
    QStringList described;
    for (const KeyCombo& combo : combos) {
        described << combo.description();
    }
    EXPECT_EQ(described.join(QLatin1Char(' ')),
              QString::fromUtf8("⌘, ⌘H ⌥⌘H ⌘Q ⌘N ⌘O ⌘W ⌘S ⇧⌘S ⌘R ⇧⌘P ⌘P ⌘Z ⇧⌘Z ⌘X ⌘C ⌘V ⌥⇧⌘V "
                                "⌘A ⌘F ⌥⌘F ⌘G ⇧⌘G ⌘E ⌘J ⇧⌘; ⌘; ⌘T ⌘B ⌘I ⌘U ⇧⌘= ⌘- ⇧⌘C ⌥⌘C "
                                "⌥⌘V ⇧⌘[ ⇧⌘\\ ⇧⌘] ⌃⌘C ⌃⌘V ⌥⌘T ⌃⌘S ⌃⌘F ⌘M ⇧⌘/"));
    EXPECT_EQ(combos.front(), KeyCombo(43, 0x0100));
    EXPECT_EQ(combos[17], KeyCombo(9, 0x0B00));
    EXPECT_EQ(combos.back(), KeyCombo(44, 0x0300));
    EXPECT_TRUE(KeyCombo::systemKeyCombos().empty());
}

TEST(KeyComboLists, MenuShortcutsDepthFirst) {
    QMenu menu;
    menu.addAction(QStringLiteral("Quit"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    menu.addSeparator();
    menu.addAction(QStringLiteral("No shortcut"));
    QMenu* sub = menu.addMenu(QStringLiteral("More"));
    sub->addAction(QStringLiteral("Settings"))->setShortcut(QKeySequence(QStringLiteral("Meta+,")));
    sub->addAction(QStringLiteral("Unreadable"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Up")));
    QMenu* deeper = sub->addMenu(QStringLiteral("Deeper"));
    deeper->addAction(QStringLiteral("Help"))->setShortcut(QKeySequence(QStringLiteral("F1")));
    menu.addAction(QStringLiteral("Add"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+Shift+Space")));
    // The submenu's own entry can carry a shortcut too; it comes before the submenu's items.
    sub->menuAction()->setShortcut(QKeySequence(QStringLiteral("Alt+M")));

    const std::vector<KeyCombo> expected{
        KeyCombo(Key::q, ModifierFlags::control),
        KeyCombo(Key::m, ModifierFlags::option),
        KeyCombo(Key::comma, ModifierFlags::command),
        KeyCombo(Key::f1, ModifierFlags{}),
        KeyCombo(Key::space, controlOption | ModifierFlags::shift),
    };
    EXPECT_EQ(KeyCombo::keyCombos(menu), expected);
}

TEST(KeyComboLists, MainMenuIsTheTopLevelMenuNamedMainMenu) {
    EXPECT_TRUE(KeyCombo::mainMenuKeyCombos().empty());
    auto other = std::make_unique<QMenu>();
    other->addAction(QStringLiteral("X"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_TRUE(KeyCombo::mainMenuKeyCombos().empty());

    auto mainMenu = std::make_unique<QMenu>();
    mainMenu->setObjectName(QLatin1String(KeyCombo::mainMenuObjectName));
    mainMenu->addAction(QStringLiteral("Quit"))
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(KeyCombo::mainMenuKeyCombos(),
              std::vector<KeyCombo>{KeyCombo(Key::q, ModifierFlags::control)});
}

} // namespace
