#include "mainwindow/NameEditor.h"

#include "mainwindow/MainPage.h"
#include "platform/Cp1251.h"
#include "widgets/InplaceEditor.h"

#include <QLineEdit>

namespace tralcon {

TCp1251Validator::TCp1251Validator(QObject* parent, std::function<void(const QString&)> refused)
    : QValidator(parent), FRefused(std::move(refused)) {}

QValidator::State TCp1251Validator::validate(QString& input, int&) const {
    if (FitsCp1251(input.toStdString()))
        return Acceptable;
    if (FRefused) {
        for (qsizetype i = 0; i < input.size(); ++i) {
            const qsizetype n = input[i].isHighSurrogate() && i + 1 < input.size() ? 2 : 1;
            const QString ch = input.mid(i, n);
            if (!FitsCp1251(ch.toStdString())) {
                FRefused(ch);
                break;
            }
            i += n - 1;
        }
    }
    return Invalid;
}

QString Cp1251RefusalText(const QString& character) {
    return QStringLiteral("Символ «%1» нельзя сохранить в проекте: допустимы буквы, цифры и "
                          "знаки кодовой страницы Windows-1251")
        .arg(character);
}

QLineEdit* OpenNameEditor(TPageContext& context, QWidget* parent, const QRect& rect,
                          const std::string& name, std::function<void(const std::string&)> store) {
    QLineEdit* e =
        context.Inplace().OpenText(parent, rect, QString::fromStdString(name), kMaxNameLength,
                                   [store](const QString& text) { store(text.toStdString()); });
    e->setValidator(new TCp1251Validator(
        e, [&context, e](const QString& ch) { context.ShowRefusal(e, Cp1251RefusalText(ch)); }));
    e->selectAll();
    return e;
}

} // namespace tralcon
