#pragma once
// The in-place editor of a name (a cycle, a day or week plan, the project):
// at most 40 characters, each of which the project file can hold. A
// character outside code page 1251 is refused as it is typed, with a word
// why, so no name is ever saved with question marks in it.

#include <QValidator>

#include <functional>
#include <string>

class QLineEdit;
class QRect;
class QWidget;

namespace tralcon {

class TInplaceEditor;
class TPageContext;

inline constexpr int kMaxNameLength = 40;

class TCp1251Validator : public QValidator {
  public:
    // refused: told the character that could not be taken.
    TCp1251Validator(QObject* parent, std::function<void(const QString&)> refused);
    State validate(QString& input, int& pos) const override;

  private:
    std::function<void(const QString&)> FRefused;
};

// The message for a character the project file cannot hold.
QString Cp1251RefusalText(const QString& character);

// Opens the name editor over a cell; store gets every accepted change.
QLineEdit* OpenNameEditor(TPageContext& context, QWidget* parent, const QRect& rect,
                          const std::string& name, std::function<void(const std::string&)> store);

} // namespace tralcon
