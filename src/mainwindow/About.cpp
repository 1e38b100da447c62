#include "mainwindow/About.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/Help.h"
#include "widgets/CellDraw.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#ifndef TRALCON_VERSION
#define TRALCON_VERSION "0.0.0"
#endif
#ifndef TRALCON_PRERELEASE
#define TRALCON_PRERELEASE 1
#endif

namespace tralcon {

QString ProgramVersionText() {
    QString v = QStringLiteral("Версия %1").arg(QStringLiteral(TRALCON_VERSION));
    if (TRALCON_PRERELEASE)
        v += QStringLiteral(" Beta");
    return v;
}

QString LegalNotice() {
    return QStringLiteral("© Разработчики Tralcon. Программа поставляется «как есть», без "
                          "каких-либо гарантий.");
}

TAbout::TAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("О программе"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWindowColor);
    setPalette(pal);
    setAutoFillBackground(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(TrendImage(17).scaled(64, 48));
    auto* caption = new QLabel(QStringLiteral("Конфигуратор контроллеров НВТ"), this);
    QFont big = caption->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 2);
    caption->setFont(big);
    auto* version = new QLabel(ProgramVersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    auto* legal = new QLabel(LegalNotice(), this);
    legal->setObjectName(QStringLiteral("lblLegal"));
    legal->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::hide);

    auto* text = new QVBoxLayout;
    text->addWidget(caption);
    text->addWidget(version);
    text->addWidget(legal);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(ok, 0, Qt::AlignRight);
    setFixedSize(std::max(380, sizeHint().width()), std::max(150, sizeHint().height()));
}

} // namespace tralcon
