#include "schemewindow/SchemePropertyPage.h"

#include "widgets/vxEdit.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace tralcon {

namespace {

QWidget* TitledPage(const QString& title, QLabel** text) {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(4, 4, 4, 4);
    box->setSpacing(4);
    auto* caption = new QLabel(title, page);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    box->addWidget(caption);
    if (text != nullptr) {
        *text = new QLabel(page);
        box->addWidget(*text);
    }
    return page;
}

} // namespace

TSchemePropertyPage::TSchemePropertyPage(QWidget* parent) : QStackedWidget(parent) {
    setObjectName(QStringLiteral("PageControl"));
    addWidget(TitledPage(QStringLiteral("Ничего не выделено"), nullptr));

    QWidget* trend = TitledPage(QStringLiteral("Выделено направление"), &stTrend);
    stTrend->setObjectName(QStringLiteral("stTrend"));
    auto* box = static_cast<QVBoxLayout*>(trend->layout());
    gbArrow = new QGroupBox(trend);
    gbArrow->setObjectName(QStringLiteral("gbArrow"));
    auto* arrowForm = new QFormLayout(gbArrow);
    arrowForm->setContentsMargins(4, 2, 4, 2);
    seCurveX =
        Field(gbArrow, QStringLiteral("seCurveX"), QStringLiteral("Координаты левой стороны"));
    seCurveY =
        Field(gbArrow, QStringLiteral("seCurveY"), QStringLiteral("Координаты верхней стороны"));
    seWidth = Field(gbArrow, QStringLiteral("seWidth"), QStringLiteral("Ширина"));
    seHeight = Field(gbArrow, QStringLiteral("seHeight"), QStringLiteral("Высота"));
    arrowForm->addRow(QStringLiteral("X"), seCurveX);
    arrowForm->addRow(QStringLiteral("Y"), seCurveY);
    arrowForm->addRow(QStringLiteral("Ш"), seWidth);
    arrowForm->addRow(QStringLiteral("В"), seHeight);
    box->addWidget(gbArrow);
    gbPoint = new QGroupBox(trend);
    gbPoint->setObjectName(QStringLiteral("gbPoint"));
    auto* pointForm = new QFormLayout(gbPoint);
    pointForm->setContentsMargins(4, 2, 4, 2);
    sePointX = Field(gbPoint, QStringLiteral("sePointX"), QStringLiteral("Координата X"));
    sePointY = Field(gbPoint, QStringLiteral("sePointY"), QStringLiteral("Координата Y"));
    sePointR = Field(gbPoint, QStringLiteral("sePointR"), QStringLiteral("Радиус"));
    pointForm->addRow(QStringLiteral("X"), sePointX);
    pointForm->addRow(QStringLiteral("Y"), sePointY);
    pointForm->addRow(QStringLiteral("R"), sePointR);
    box->addWidget(gbPoint);
    box->addStretch();
    addWidget(trend);

    QWidget* phase = TitledPage(QStringLiteral("Выделена фаза"), &stPhase);
    stPhase->setObjectName(QStringLiteral("stPhase"));
    static_cast<QVBoxLayout*>(phase->layout())->addStretch();
    addWidget(phase);
    ShowNone();
}

TvxSpinEdit* TSchemePropertyPage::Field(QWidget* parent, const QString& name, const QString& hint) {
    auto* field = new TvxSpinEdit(parent);
    field->setObjectName(name);
    field->setToolTip(hint);
    field->SetMinValue(0);
    field->SetMaxValue(200);
    field->SetIncrement(1);
    field->SetBorderColor(QColor(0, 60, 115));
    connect(field, &QSpinBox::valueChanged, this, [this, field] { Apply(field); });
    return field;
}

void TSchemePropertyPage::ShowNone() {
    FObject = nullptr;
    FPoint = nullptr;
    setCurrentIndex(tsNone);
}

void TSchemePropertyPage::ShowPhase(const QString& number) {
    FObject = nullptr;
    FPoint = nullptr;
    stPhase->setText(number);
    setCurrentIndex(tsPhase);
}

void TSchemePropertyPage::ShowTrend(const QString& trend, TvxSchemeObject* object, int objectNumber,
                                    TvxArrowPoint* point, int pointNumber) {
    FFilling = true;
    FObject = object;
    FPoint = object != nullptr ? point : nullptr;
    stTrend->setText(trend);
    const bool arrow = dynamic_cast<TvxArrow*>(object) != nullptr;
    gbArrow->setVisible(object != nullptr);
    if (object != nullptr) {
        gbArrow->setTitle((arrow ? QStringLiteral("Траектория #%1") : QStringLiteral("Ярлычок #%1"))
                              .arg(objectNumber));
        const TRect b = object->GetBounds();
        seCurveX->SetValue(b.Left);
        seCurveY->SetValue(b.Top);
        seWidth->SetValue(b.Width());
        seHeight->SetValue(b.Height());
        seWidth->setEnabled(arrow);
        seHeight->setEnabled(arrow);
    }
    gbPoint->setVisible(FPoint != nullptr);
    if (FPoint != nullptr) {
        gbPoint->setTitle(QStringLiteral("Точка #%1").arg(pointNumber));
        sePointX->SetValue(FPoint->X());
        sePointY->SetValue(FPoint->Y());
        sePointR->SetValue(FPoint->Radius());
    }
    setCurrentIndex(tsTrend);
    FFilling = false;
}

void TSchemePropertyPage::Apply(TvxSpinEdit* field) {
    if (FFilling || FObject == nullptr)
        return;
    const int v = field->Value();
    const TRect b = FObject->GetBounds();
    if (field == seCurveX)
        FObject->SetBounds(b.Offset(v - b.Left, 0));
    else if (field == seCurveY)
        FObject->SetBounds(b.Offset(0, v - b.Top));
    else if (field == seWidth)
        FObject->SetBounds({b.Left, b.Top, b.Left + v, b.Bottom});
    else if (field == seHeight)
        FObject->SetBounds({b.Left, b.Top, b.Right, b.Top + v});
    else if (FPoint != nullptr && field == sePointX)
        FPoint->SetX(static_cast<std::int16_t>(v));
    else if (FPoint != nullptr && field == sePointY)
        FPoint->SetY(static_cast<std::int16_t>(v));
    else if (FPoint != nullptr && field == sePointR)
        FPoint->SetRadius(v);
    if (OnEdited)
        OnEdited();
}

} // namespace tralcon
