// register-hotkey KEY: registers Control-Option-KEY from a process of its own, the way the
// application does, prints "live true" or "live false", and exits 0 when the hot key is live,
// 1 when it was refused, 2 on a bad argument.
#include "HotKey/HotKey.h"
#include "HotKey/HotKeysController.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    const QGuiApplication app(argc, argv);
    const std::optional<Key> key =
        argc == 2 ? keyFromString(QString::fromLocal8Bit(argv[1])) : std::nullopt;
    if (!key) {
        std::fprintf(stderr, "usage: register-hotkey KEY\n");
        return 2;
    }
    const auto hotKey = HotKey::make(*key, ModifierFlags::control | ModifierFlags::option);
    const bool live = HotKeysController::isLive(*hotKey);
    std::printf("live %s\n", live ? "true" : "false");
    std::fflush(stdout);
    return live ? 0 : 1;
}
