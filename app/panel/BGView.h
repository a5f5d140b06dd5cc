#pragma once

#include <QWidget>

// A view that paints itself with the application's named colour "bg" through its layer,
// and follows the light or dark appearance. Without that colour it shows no background.
class BGView : public QWidget {
    Q_OBJECT
public:
    explicit BGView(QWidget* parent = nullptr);

    void updateLayer();
};
