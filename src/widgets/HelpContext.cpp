#include "widgets/HelpContext.h"

#include <QVariant>
#include <QWidget>

namespace tralcon {

namespace {
constexpr const char* kProperty = "helpContext";
}

void SetHelpContext(QWidget* w, int context) {
    w->setProperty(kProperty, context);
}

int HelpContextOf(const QWidget* w) {
    for (; w != nullptr; w = w->parentWidget()) {
        const int c = w->property(kProperty).toInt();
        if (c != 0)
            return c;
    }
    return 0;
}

} // namespace tralcon
