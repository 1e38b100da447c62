#include "mainwindow/ControllersPage.h"

#include "mainwindow/ActionImages.h"
#include "mainwindow/Help.h"
#include "mainwindow/NameEditor.h"
#include "model/Project.h"
#include "persistence/Config.h"
#include "widgets/CellDraw.h"
#include "widgets/DrawTree.h"
#include "widgets/InplaceEditor.h"
#include "widgets/vxEdit.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace tralcon {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// An edit without a border of its own inside a one-pixel rectangle that is
// blue while the edit has the focus.
class TFramedEdit : public QFrame {
  public:
    TFramedEdit(QWidget* parent, QLineEdit* edit) : QFrame(parent), FEdit(edit) {
        edit->setParent(this);
        edit->setFrame(false);
        auto* l = new QHBoxLayout(this);
        l->setContentsMargins(2, 1, 2, 1);
        l->addWidget(edit);
        edit->installEventFilter(this);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, Qt::white);
        edit->setPalette(pal);
        setAutoFillBackground(true);
        pal = palette();
        pal.setColor(QPalette::Window, Qt::white);
        setPalette(pal);
    }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o == FEdit && (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut)) {
            update();
            // Entering selects the whole name.
            if (e->type() == QEvent::FocusIn)
                QMetaObject::invokeMethod(FEdit, &QLineEdit::selectAll, Qt::QueuedConnection);
        }
        return QFrame::eventFilter(o, e);
    }
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        QPainter p(this);
        p.setPen(QPen(FEdit->hasFocus() ? kFocusColor : kGridLineColor, 0));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

  private:
    QLineEdit* FEdit;
};

} // namespace

TControllersPage::TControllersPage(TPageContext& context)
    : TMainPage(context, "tsControllers", 10200) {
    BuildHeader();
    BuildTree();
}

void TControllersPage::BuildHeader() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(57);

    edProjectName = new QLineEdit;
    edProjectName->setObjectName(QStringLiteral("edProjectName"));
    edProjectName->setMaxLength(kMaxNameLength);
    edProjectName->setValidator(new TCp1251Validator(edProjectName, [this](const QString& ch) {
        Context().ShowRefusal(edProjectName, Cp1251RefusalText(ch));
    }));
    edProjectName->setToolTip(QStringLiteral("Укажите наименование светофорного объекта!"));
    edProjectNameFrame = new TFramedEdit(Panel1, edProjectName);
    edProjectNameFrame->setFixedHeight(20);
    SetHelpContext(edProjectName, 10201);
    SetHelpContext(edProjectNameFrame, 10201);
    connect(edProjectName, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (FUpdating > 0)
            return;
        Project().SetProjectName(text.toStdString());
        Context().SetModified();
        emit ProjectNameEdited();
    });

    auto makeSpin = [this](const char* name) {
        auto* e = new TvxSpinEdit(Panel1);
        e->setObjectName(QLatin1String(name));
        e->SetMinValue(1);
        e->SetMaxValue(255);
        e->SetIncrement(1);
        e->SetBorderColor(kGridLineColor);
        e->setFixedSize(60, 20);
        connect(e, &TvxSpinEdit::Enter, e, [e] { e->SetBorderColor(kFocusColor); });
        connect(e, &TvxSpinEdit::Exit, e, [e] { e->SetBorderColor(kGridLineColor); });
        SetHelpContext(e, 10202);
        return e;
    };
    seSystemID = makeSpin("seSystemID");
    udAllRedTime = makeSpin("udAllRedTime");
    udAllRedTime->SetSuffix(QStringLiteral("с"));
    udAllRedTime->SetValue(3);
    connect(seSystemID, &TvxSpinEdit::Change, this, [this](int value) {
        if (FUpdating > 0)
            return;
        Project().SetSystemID(static_cast<std::uint8_t>(value));
        Context().SetModified();
    });
    // The all-red time and the options are not part of the modified state.
    connect(udAllRedTime, &TvxSpinEdit::Change, this, [this](int value) {
        if (FUpdating == 0)
            Project().SetAllRedTime(static_cast<std::uint8_t>(value));
    });

    cbQuickStart = new QCheckBox(QStringLiteral("Быстрый запуск"), Panel1);
    cbQuickStart->setObjectName(QStringLiteral("cbQuickStart"));
    cbQuickStart->setToolTip(QStringLiteral(
        "Переходить из состояния \"Все красные\" в рабочий цикл, \nминуя промежуточные такты"));
    cbQuickCall = new QCheckBox(QStringLiteral("Быстрый переход в ТВП"), Panel1);
    cbQuickCall->setObjectName(QStringLiteral("cbQuickCall"));
    cbQuickCall->setToolTip(
        QStringLiteral("Переходить в ТВП \nне дожидаясь окончания рабочего цикла"));
    connect(cbQuickStart, &QCheckBox::clicked, this,
            [this](bool on) { Project().SetQuickStart(on); });
    connect(cbQuickCall, &QCheckBox::clicked, this, [this](bool on) {
        TProject& p = Project();
        p.SetProjectOptions(static_cast<std::uint8_t>(on ? p.ProjectOptions() | poQuickCall
                                                         : p.ProjectOptions() & ~poQuickCall));
    });

    // Two rows: the name with the two options, then the two numbers.
    auto* rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(8, 6, 8, 5);
    rows->setSpacing(6);
    auto* row0 = new QHBoxLayout;
    row0->setSpacing(8);
    row0->addWidget(new QLabel(QStringLiteral("Светофорный объект"), Panel1));
    row0->addWidget(edProjectNameFrame, 1);
    row0->addSpacing(6);
    row0->addWidget(cbQuickStart);
    row0->addWidget(cbQuickCall);
    auto* row1 = new QHBoxLayout;
    row1->setSpacing(8);
    row1->addWidget(new QLabel(QStringLiteral("Системный идентификатор"), Panel1));
    row1->addWidget(seSystemID);
    row1->addSpacing(12);
    row1->addWidget(new QLabel(QStringLiteral("Длительность состояния \"Все красные\""), Panel1));
    row1->addWidget(udAllRedTime);
    row1->addStretch(1);
    rows->addLayout(row0);
    rows->addLayout(row1);

    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    l->addWidget(Panel1);
}

void TControllersPage::BuildTree() {
    vtControllers = MakeTree("vtControllers",
                             {QStringLiteral("№/Вых."), QStringLiteral("Модель/направление"),
                              QStringLiteral("Тип ламп/сигнал")},
                             {55, 200, 120}, 10203);
    vtControllers->OnCellLook = [this](QTreeWidgetItem* item, int col, TTreeCellLook& look) {
        const TProject& project = Project();
        const bool isController = item->parent() == nullptr;
        const int ci = vtControllers->indexOfTopLevelItem(isController ? item : item->parent());
        const TController* c = project.ControllerAt(ci);
        if (c == nullptr)
            return;
        look.ImageFromRight = 27;
        if (isController) {
            switch (col) {
            case 0:
                look.FramedOnly = true;
                look.Text = QString::number(ci + 1);
                if (!project.CanDeleteController(ci))
                    look.Image = TreeImage(27);
                break;
            case 1:
                look.Text = Q(c->Model->Caption);
                break;
            default:
                look.Text =
                    c->IsLed() ? QStringLiteral("Светодиодный") : QStringLiteral("Ламповый");
                break;
            }
            return;
        }
        const int oi = item->parent()->indexOfChild(item);
        if (oi < 0 || oi >= c->Outputs.Count())
            return;
        const TControllerOutput* o = c->ControllerOutputAt(oi);
        const TTrendGroup* owner = o->Owner;
        switch (col) {
        case 0:
            look.Text = Q(project.OutputName(o));
            look.Image = TreeImage(OutputImageIndex(o->ModelOutput->Flags));
            break;
        case 1:
            if (owner != nullptr) {
                look.Text = QStringLiteral("%1 %2")
                                .arg(project.TrendGroupList().IndexOf(owner) + 1)
                                .arg(Q(owner->GetCaption()));
                if (!owner->Trends().Empty())
                    look.Image =
                        TreeImage(17 + owner->Trends().Items(owner->Trends().Count() - 1)->Kind());
            }
            break;
        default:
            if (owner != nullptr) {
                const int slot = project.SlotOf(owner, o);
                look.Text = QString::fromUtf8(SlotLetters[slot]);
                look.Image = TreeImage(3 + slot);
            }
            break;
        }
    };
    connect(vtControllers, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* node) { vtControllersFocusChanged(node); });
    connect(vtControllers, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* node) {
        QTreeWidgetItem* focused = vtControllers->currentItem();
        if (focused != nullptr && focused->parent() == node) {
            Context().Inplace().Close();
            vtControllers->FocusNode(node);
        }
    });
    vtControllers->OnClick = [this](Qt::MouseButton b, QPoint pos) { vtControllersClick(b, pos); };
}

void TControllersPage::Reset() {
    ++FUpdating;
    vtControllers->clear();
    FSelController = -1;
    const TProject& p = Project();
    const std::uint8_t options = p.ProjectOptions();
    cbQuickStart->setChecked(options & poQuickStart);
    cbQuickCall->setChecked(options & poQuickCall);
    seSystemID->SetValue(p.SystemID());
    udAllRedTime->SetValue(p.AllRedTime());
    ShowProjectName();
    for (TController* c : p.ControllerList())
        AddControllerNode(c);
    --FUpdating;
}

void TControllersPage::ShowProjectName() {
    const QString name = Q(Project().ProjectName());
    if (edProjectName->text() == name)
        return;
    ++FUpdating;
    edProjectName->setText(name);
    --FUpdating;
}

bool TControllersPage::CanPlus() const {
    return Context().WindowActive() && Context().Config().MultiCascade;
}

bool TControllersPage::CanMinus() const {
    return Context().WindowActive() && Context().Config().MultiCascade && FSelController >= 0 &&
           Project().CanDeleteController(FSelController);
}

void TControllersPage::Plus() {
    emit ModelMenuRequested();
}

void TControllersPage::Minus() {
    DeleteSelectedController();
    Context().SetModified();
}

TController* TControllersPage::AddController(const TModel* model) {
    if (model == nullptr)
        return nullptr;
    TController* c = Project().CreateController(model);
    AddControllerNode(c);
    emit ControllerListChanged();
    return c;
}

TController* TControllersPage::AddLoadedController(std::int32_t modelID, std::uint8_t flags) {
    // The model throws "Model not found" before the list changes.
    TController* c = Project().CreateController(modelID, flags);
    AddControllerNode(c);
    emit ControllerListChanged();
    return c;
}

void TControllersPage::AddControllerNode(TController* controller) {
    auto* node = new QTreeWidgetItem(vtControllers);
    for (int i = 0; i < controller->Outputs.Count(); ++i)
        new QTreeWidgetItem(node);
    vtControllers->FocusNode(node);
}

void TControllersPage::DeleteSelectedController() {
    const int i = FSelController;
    if (!Project().DeleteController(i))
        return;
    vtControllers->FocusNode(nullptr);
    delete vtControllers->takeTopLevelItem(i);
    FSelController = -1;
    vtControllers->viewport()->update();
    emit ControllerListChanged();
}

void TControllersPage::vtControllersFocusChanged(QTreeWidgetItem* node) {
    if (node == nullptr)
        FSelController = -1;
    else
        FSelController =
            vtControllers->indexOfTopLevelItem(node->parent() != nullptr ? node->parent() : node);
    emit EditStateChanged();
}

void TControllersPage::vtControllersClick(Qt::MouseButton, QPoint pos) {
    QTreeWidgetItem* node = vtControllers->currentItem();
    if (node == nullptr || node->parent() != nullptr)
        return;
    if (vtControllers->ClickedColumn(pos) != 2)
        return;
    TController* c = Project().ControllerAt(vtControllers->indexOfTopLevelItem(node));
    if (c == nullptr)
        return;
    c->SetLampType(!c->IsLed());
    Context().SetModified();
    vtControllers->viewport()->update();
}

void TControllersPage::SetQuickCall(bool flag) {
    Project().SetQuickCall(flag);
    ++FUpdating;
    cbQuickCall->setChecked(flag);
    --FUpdating;
}

void TControllersPage::SetAllRedTime(int seconds) {
    Project().SetAllRedTime(static_cast<std::uint8_t>(seconds));
    ++FUpdating;
    udAllRedTime->SetValue(seconds);
    --FUpdating;
}

void TControllersPage::SetQuickStart(bool flag) {
    Project().SetQuickStart(flag);
    ++FUpdating;
    cbQuickStart->setChecked(flag);
    --FUpdating;
}

} // namespace tralcon
