#include "mainwindow/CheckForm.h"

#include "mainwindow/Help.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tralcon {

namespace {

// Russian plural forms: 1 ошибка, 2 ошибки, 5 ошибок.
QString Counted(int n, const char* one, const char* few, const char* many) {
    const int m10 = n % 10, m100 = n % 100;
    const char* word = m10 == 1 && m100 != 11                             ? one
                       : m10 >= 2 && m10 <= 4 && (m100 < 12 || m100 > 14) ? few
                                                                          : many;
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(word));
}

QColor LevelColor(TFindingLevel level) {
    switch (level) {
    case TFindingLevel::Error:
        return QColor(200, 0, 0);
    case TFindingLevel::Warning:
        return QColor(160, 100, 0);
    default:
        return QColor(60, 60, 60);
    }
}

} // namespace

QString FindingsSummary(const std::vector<TFinding>& findings) {
    auto count = [&](TFindingLevel l) {
        return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                              [l](const TFinding& f) { return f.Level == l; }));
    };
    const int errors = count(TFindingLevel::Error), warnings = count(TFindingLevel::Warning);
    if (errors == 0 && warnings == 0)
        return QStringLiteral("Ошибок и предупреждений нет");
    return Counted(errors, "ошибка", "ошибки", "ошибок") + QStringLiteral(", ") +
           Counted(warnings, "предупреждение", "предупреждения", "предупреждений");
}

TCheckForm::TCheckForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CheckForm"));
    setWindowTitle(QStringLiteral("Проверка"));
    SetHelpContext(this, 10050);
    resize(640, 320);
    lblSummary = new QLabel(this);
    lvFindings = new QTreeWidget(this);
    lvFindings->setObjectName(QStringLiteral("lvFindings"));
    lvFindings->setColumnCount(2);
    lvFindings->setHeaderLabels({QStringLiteral("Вид"), QStringLiteral("Что найдено")});
    lvFindings->setRootIsDecorated(false);
    lvFindings->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lvFindings->setWordWrap(true);
    auto* recheck = new QPushButton(QStringLiteral("Проверить"), this);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
    connect(recheck, &QPushButton::clicked, this, &TCheckForm::RecheckRequested);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto choose = [this](QTreeWidgetItem* item) {
        const int i = item != nullptr ? item->data(0, Qt::UserRole).toInt() : -1;
        if (i >= 0 && i < static_cast<int>(FFindings.size()))
            emit FindingChosen(FFindings[static_cast<std::size_t>(i)].Phase,
                               FFindings[static_cast<std::size_t>(i)].Row);
    };
    connect(lvFindings, &QTreeWidget::itemActivated, this,
            [choose](QTreeWidgetItem* item, int) { choose(item); });
    connect(lvFindings, &QTreeWidget::itemClicked, this,
            [choose](QTreeWidgetItem* item, int) { choose(item); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(lblSummary, 1);
    buttons->addWidget(recheck);
    buttons->addWidget(close);
    auto* l = new QVBoxLayout(this);
    l->addWidget(lvFindings, 1);
    l->addLayout(buttons);
}

void TCheckForm::ShowFindings(const std::vector<TFinding>& findings) {
    FFindings = findings;
    // Errors first, then warnings, then what is only listed.
    std::stable_sort(FFindings.begin(), FFindings.end(),
                     [](const TFinding& a, const TFinding& b) { return a.Level < b.Level; });
    lvFindings->clear();
    for (std::size_t i = 0; i < FFindings.size(); ++i) {
        const TFinding& f = FFindings[i];
        auto* item = new QTreeWidgetItem(lvFindings);
        item->setText(0, QString::fromUtf8(FindingLevelName(f.Level)));
        item->setText(1, QString::fromStdString(f.Text));
        item->setForeground(0, LevelColor(f.Level));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    lblSummary->setText(FindingsSummary(FFindings));
}

} // namespace tralcon
