// "О программе": the banner, the program's name and version, and what it is for.
#pragma once

#include <QDialog>

namespace tessarin::shell {

class TAboutBox final : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
};

}  // namespace tessarin::shell
