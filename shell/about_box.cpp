#include "shell/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/command_icons.h"

#ifndef TESSARIN_VERSION
#define TESSARIN_VERSION "1.0.0"
#endif

namespace tessarin::shell {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowIcon(ApplicationIcon());

    auto* banner = new QLabel;
    banner->setPixmap(BannerPixmap());
    banner->setAlignment(Qt::AlignCenter);

    auto* text = new QLabel(
        QStringLiteral("<b>Tessarin</b> %1<br><br>"
                       "Анализ геометрических параметров режущих инструментов с СМП:<br>"
                       "передняя и задняя поверхности, режущая кромка, системы координат<br>"
                       "и углы в каждой точке режущей кромки.")
            .arg(QStringLiteral(TESSARIN_VERSION)));
    text->setTextFormat(Qt::RichText);
    text->setAlignment(Qt::AlignCenter);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(banner);
    layout->addWidget(text);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tessarin::shell
