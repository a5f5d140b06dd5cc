#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QPalette>

#include <optional>

// The desktop's light or dark appearance. The freedesktop settings portal's
// "color-scheme" decides when it states a preference; otherwise the application palette
// does (a window colour darker than the text means dark). While the portal asks for dark over a
// light palette, the application takes a dark palette. `changed` fires on every switch.
class Appearance : public QObject {
    Q_OBJECT
public:
    enum class Scheme { Light, Dark };

    // The one appearance of the process, made on first use and owned by the application.
    static Appearance& shared();

    Scheme scheme() const { return current_; }
    bool isDark() const { return current_ == Scheme::Dark; }

    // The portal's preference; nothing when it has none or there is no portal.
    void setPortalScheme(std::optional<Scheme> scheme);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit Appearance(QObject* parent);
    void askPortal();
    void update();
    // The portal's SettingChanged signal: group, key, value.
    Q_SLOT void portalSettingChanged(const QDBusMessage& message);

    std::optional<Scheme> portalScheme_;
    // The palette to go back to when the portal stops asking for dark.
    std::optional<QPalette> paletteBeforeDark_;
    Scheme current_ = Scheme::Light;
};
