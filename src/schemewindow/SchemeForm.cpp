#include "schemewindow/SchemeForm.h"

#include "model/Project.h"
#include "scheme/SchemeScene.h"
#include "scheme/SchemeSection.h"
#include "schemeview/BackgroundPicture.h"
#include "schemeview/SchemeImages.h"
#include "schemewindow/SchemeButtons.h"
#include "schemewindow/SchemePropertyPage.h"
#include "widgets/HelpContext.h"
#include "widgets/vxEdit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace tralcon {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The scheme's part of the project file, what a change must alter to count;
// without the selection, which the file records but which is no edit.
std::string SchemeBytes(const TSchemeDocument& scheme) {
    std::string bytes = scheme.Background();
    bytes.push_back('\0');
    TSchemeStreamWriter w(bytes);
    for (int row = 0; row < scheme.RowCount(); ++row) {
        w.WriteInt32(row);
        for (const TvxSchemeObject* o : scheme.RowObjects(row)) {
            const std::size_t at = bytes.size();
            o->SaveToStream(w);
            if (o->Kind() == TvxArrow::KindCode && bytes.size() > at + 2)
                bytes[at + 2] = static_cast<char>(bytes[at + 2] & ~TvxSchemeObject::ofSelected);
        }
    }
    return bytes;
}

} // namespace

TSchemeForm::TSchemeForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("SchemeForm"));
    setWindowTitle(QStringLiteral("Схема движения"));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(226, 240, 227));
    setPalette(pal);
    setAutoFillBackground(true);
    QFont f = font();
    f.setPointSize(8);
    setFont(f);
    AskPictureFile = [](QWidget* owner) -> std::optional<QString> {
        const QString path =
            QFileDialog::getOpenFileName(owner, QStringLiteral("Загрузить план перекрестка"),
                                         QString(), BackgroundPictureFilter());
        if (path.isEmpty())
            return std::nullopt;
        return path;
    };
    ShowError = [](QWidget* owner, const QString& text) {
        QMessageBox::critical(owner, QApplication::applicationDisplayName(), text);
    };
    WindowActive = [this] { return isActiveWindow(); };

    BuildActions();
    BuildLayout();
    BuildPresets();
    Rebuild();
    NoteReported();
    if (const QScreen* s = screen(); s != nullptr)
        move(s->availableGeometry().center() - rect().center());
}

TSchemeForm::~TSchemeForm() {
    // Nothing may reach this window's handlers while its children go (the
    // focus leaves them, the tree empties).
    QObject::disconnect(qApp, nullptr, this, nullptr);
    CRScheme->disconnect(this);
    vtScheme->disconnect(this);
    // The control goes before the document it points into.
    CRScheme->SetScheme(nullptr);
}

// ---- layout -----------------------------------------------------------------

void TSchemeForm::BuildLayout() {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->setSpacing(4);

    FEditor = new QWidget(this);
    FEditor->setObjectName(QStringLiteral("EditorPanel"));
    auto* editor = new QHBoxLayout(FEditor);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->setSpacing(4);
    vtScheme = new TSchemeTree(FEditor);
    vtScheme->setFixedWidth(110);
    vtScheme->TrendIcon = [this](int kind) { return TrendIcon ? TrendIcon(kind) : QPixmap(); };
    vtScheme->Selection = [this]() -> const TvxSchemeObject* { return CRScheme->SelectedObject(); };
    vtScheme->IsGreen = [](const TvxSchemeObject* o) {
        const auto* a = dynamic_cast<const TvxArrow*>(o);
        return a != nullptr && a->Points().Color() == kTrajectoryGreen;
    };
    vtScheme->OnMoveObject = [this](TvxSchemeObject* o, int r, int pos) {
        MoveObjectToRow(o, r, pos);
    };
    editor->addWidget(vtScheme);
    Properties = new TSchemePropertyPage(FEditor);
    Properties->setFixedWidth(175);
    Properties->OnEdited = [this] {
        CRScheme->Invalidate();
        UpdatePropertyPage();
        SetModified();
    };
    editor->addWidget(Properties);
    row->addWidget(FEditor);

    auto* panel = new QWidget(this);
    auto* panelBox = new QVBoxLayout(panel);
    panelBox->setContentsMargins(0, 0, 0, 0);
    CRScheme = new TvxCRScheme(panel);
    CRScheme->SetEditable(true);
    CRScheme->SetScheme(&Scheme());
    CRScheme->setContextMenuPolicy(Qt::CustomContextMenu);
    panelBox->addWidget(CRScheme);
    panelBox->addStretch();
    row->addWidget(panel);

    auto* bar = new QVBoxLayout;
    bar->setSpacing(2);
    for (QAction* a : {actSchemeEdit, actLoadScheme, actClearScheme, actPlusCurve, actMinusCurve,
                       actHideScheme}) {
        auto* b = new QToolButton(this);
        b->setDefaultAction(a);
        b->setFixedSize(30, 30);
        b->setAutoRaise(true);
        b->setObjectName(QStringLiteral("btn") + a->objectName().mid(3));
        bar->addWidget(b);
    }
    bar->addStretch();
    row->addLayout(bar);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    SetHelpContexts();

    connect(CRScheme, &TvxCRScheme::SelectionChanged, this, [this] { CRSchemeSelect(); });
    connect(CRScheme, &TvxCRScheme::Changed, this,
            [this](TvxSchemeObject* sender) { CRSchemeChange(sender); });
    connect(CRScheme, &TvxCRScheme::ReOrdered, this, [this] { CRSchemeReOrder(); });
    connect(CRScheme, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        CRScheme->setFocus(Qt::PopupFocusReason);
        UpdateActions();
        SchemePopup->popup(CRScheme->mapToGlobal(at));
    });
    connect(vtScheme, &QTreeWidget::currentItemChanged, this, [this] { FocusChanged(); });
    connect(vtScheme, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
        // Collapsing the branch the focus is in moves the focus up to it.
        for (QTreeWidgetItem* a = vtScheme->currentItem(); a != nullptr; a = a->parent())
            if (a == item && a != vtScheme->currentItem()) {
                vtScheme->FocusNode(item);
                break;
            }
    });
    connect(qApp, &QApplication::focusChanged, this, [this] { UpdateActions(); });
}

void TSchemeForm::SetHelpContexts() {
    SetHelpContext(this, 20000);
    int button = 20001;
    for (QToolButton* b : findChildren<QToolButton*>(Qt::FindDirectChildrenOnly))
        SetHelpContext(b, button++);
    SetHelpContext(CRScheme, 20100);
    SetHelpContext(Properties, 20300);
    SetHelpContext(Properties->widget(TSchemePropertyPage::tsTrend), 20310);
    const std::pair<TvxSpinEdit*, int> fields[] = {
        {Properties->seCurveX, 20311}, {Properties->seCurveY, 20312},
        {Properties->seWidth, 20313},  {Properties->seHeight, 20314},
        {Properties->sePointX, 20315}, {Properties->sePointR, 20317}};
    for (auto [field, context] : fields)
        SetHelpContext(field, context);
}

void TSchemeForm::BuildActions() {
    auto make = [this](const char* name, const QString& text, QKeySequence key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        addAction(a);
        return a;
    };
    actSchemeEdit =
        make("actSchemeEdit", QStringLiteral("Скрыть редактор"), QKeySequence("Ctrl+E"));
    actLoadScheme = make("actLoadScheme", QStringLiteral("Загрузить план перекрестка"));
    actClearScheme = make("actClearScheme", QStringLiteral("Очистить план перекрестка"));
    actPlusCurve = make("actPlusCurve", QStringLiteral("Новая траектория"));
    actMinusCurve =
        make("actMinusCurve", QStringLiteral("Удалить траекторию"), QKeySequence::Delete);
    actHideScheme = make("actHideScheme", QStringLiteral("Закрыть"));
    actInsertPoint =
        make("actInsertPoint", QStringLiteral("Вставить точку"), QKeySequence("Ctrl+Shift+Ins"));
    actDeletePoint =
        make("actDeletePoint", QStringLiteral("Удалить точку"), QKeySequence("Ctrl+Shift+Del"));
    actReverse = make("actReverse", QStringLiteral("Реверс"), QKeySequence(Qt::Key_F5));
    actFlipVertical = make("actFlipVertical", QStringLiteral("Отразить вертикально"),
                           QKeySequence(Qt::Key_PageUp));
    actFlipHorizontal = make("actFlipHorizontal", QStringLiteral("Отразить горизонтально"),
                             QKeySequence(Qt::Key_PageDown));
    actCurveToFront =
        make("actCurveToFront", QStringLiteral("На передний план"), QKeySequence(Qt::Key_Home));
    actCurveToEnd =
        make("actCurveToEnd", QStringLiteral("На задний план"), QKeySequence(Qt::Key_End));
    // Delete belongs to "Удалить траекторию" while it can act; otherwise the
    // key reaches the scheme, which deletes its selection itself.
    actDeleteCurve = make("actDeleteCurve", QStringLiteral("Удалить объект"));
    actInsertCopy =
        make("actInsertCopy", QStringLiteral("Вставить копию"), QKeySequence(Qt::Key_Insert));
    actSchemeEdit->setIcon(SchemeButtonIcon(TSchemeButton::HideEditor));
    actLoadScheme->setIcon(SchemeButtonIcon(TSchemeButton::LoadPicture));
    actClearScheme->setIcon(SchemeButtonIcon(TSchemeButton::ClearPicture));
    actPlusCurve->setIcon(SchemeButtonIcon(TSchemeButton::PlusCurve));
    actMinusCurve->setIcon(SchemeButtonIcon(TSchemeButton::MinusCurve));
    actHideScheme->setIcon(SchemeButtonIcon(TSchemeButton::Close));
    for (QAction* a :
         {actSchemeEdit, actLoadScheme, actClearScheme, actPlusCurve, actMinusCurve, actHideScheme})
        a->setToolTip(a->text());
    // 200 x 200 pixels is small on today's screens: the scheme can be shown
    // enlarged, its coordinates unchanged.
    actZoomIn = make("actZoomIn", QStringLiteral("Крупнее"), QKeySequence::ZoomIn);
    actZoomOut = make("actZoomOut", QStringLiteral("Мельче"), QKeySequence::ZoomOut);
    connect(actZoomIn, &QAction::triggered, this, [this] { SetZoom(CRScheme->Zoom() + 1); });
    connect(actZoomOut, &QAction::triggered, this, [this] { SetZoom(CRScheme->Zoom() - 1); });

    connect(actSchemeEdit, &QAction::triggered, this, [this] { ToggleEditor(); });
    connect(actLoadScheme, &QAction::triggered, this, [this] {
        if (const std::optional<QString> path = AskPictureFile(this))
            LoadBackground(*path);
    });
    connect(actClearScheme, &QAction::triggered, this, [this] { ClearBackground(); });
    connect(actPlusCurve, &QAction::triggered, this, [this] {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr || focus->window() != this)
            focus = vtScheme;
        PopupCurves->popup(focus->mapToGlobal(QPoint(0, focus->height())));
    });
    connect(actMinusCurve, &QAction::triggered, this, [this] { DeleteFocusedObject(); });
    connect(actHideScheme, &QAction::triggered, this, [this] { hide(); });
    auto onArrow = [this](void (TvxArrow::*op)()) {
        return [this, op] {
            if (TvxArrow* a = SelectedArrow())
                (a->*op)();
        };
    };
    connect(actInsertPoint, &QAction::triggered, this, [this] {
        if (TvxArrow* a = SelectedArrow())
            a->InsertPointNearSelected();
    });
    connect(actDeletePoint, &QAction::triggered, this, [this] {
        if (TvxArrow* a = SelectedArrow(); a != nullptr && !a->DeleteSelectedPoint())
            QApplication::beep();
    });
    connect(actReverse, &QAction::triggered, this, onArrow(&TvxArrow::Reverse));
    connect(actFlipVertical, &QAction::triggered, this, onArrow(&TvxArrow::FlipVertical));
    connect(actFlipHorizontal, &QAction::triggered, this, onArrow(&TvxArrow::FlipHorizontal));
    connect(actCurveToFront, &QAction::triggered, this,
            [this] { CRScheme->BringToFront(CRScheme->SelectedObject()); });
    connect(actCurveToEnd, &QAction::triggered, this,
            [this] { CRScheme->SendToBack(CRScheme->SelectedObject()); });
    connect(actDeleteCurve, &QAction::triggered, this,
            [this] { CRScheme->DeleteObject(CRScheme->SelectedObject()); });
    connect(actInsertCopy, &QAction::triggered, this, [this] { InsertCopy(); });

    SchemePopup = new QMenu(this);
    SchemePopup->setObjectName(QStringLiteral("SchemePopup"));
    SchemePopup->addActions(
        {actInsertPoint, actDeletePoint, actReverse, actFlipVertical, actFlipHorizontal});
    SchemePopup->addSeparator();
    SchemePopup->addActions({actCurveToFront, actCurveToEnd, actDeleteCurve, actInsertCopy});
}

void TSchemeForm::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    for (QAction* a :
         {actSchemeEdit, actLoadScheme, actClearScheme, actPlusCurve, actMinusCurve, actHideScheme})
        menu.addAction(a);
    menu.addSeparator();
    menu.addActions({actZoomIn, actZoomOut});
    menu.exec(event->globalPos());
}

void TSchemeForm::closeEvent(QCloseEvent* event) {
    // Closed is hidden: the window lives as long as the program.
    event->ignore();
    hide();
}

// ---- the rules of the commands ----------------------------------------------

TvxArrow* TSchemeForm::SelectedArrow() const {
    return dynamic_cast<TvxArrow*>(CRScheme->SelectedObject());
}

int TSchemeForm::FocusedRow() const {
    return vtScheme->FocusedNode().Row;
}

void TSchemeForm::UpdateActions() {
    const bool active = WindowActive && WindowActive();
    TvxArrow* arrow = SelectedArrow();
    const bool ruleA = active && arrow != nullptr && arrow->Points().SelectedPoint() != nullptr;
    const bool ruleB = active && CRScheme->hasFocus() && CRScheme->SelectedObject() != nullptr;
    const TSchemeNode focused = vtScheme->FocusedNode();
    actPlusCurve->setEnabled(focused.Level != TSchemeNode::lvNone);
    actMinusCurve->setEnabled(focused.Level == TSchemeNode::lvObject ||
                              focused.Level == TSchemeNode::lvPoint);
    for (QAction* a : {actInsertPoint, actReverse, actFlipVertical, actFlipHorizontal}) {
        a->setEnabled(ruleA);
        a->setVisible(ruleA);
    }
    const bool deletePoint = ruleA && arrow->Points().Count() > 2;
    actDeletePoint->setEnabled(deletePoint);
    actDeletePoint->setVisible(ruleA);
    for (QAction* a : {actCurveToFront, actCurveToEnd, actDeleteCurve, actInsertCopy}) {
        a->setEnabled(ruleB);
        a->setVisible(ruleB);
    }
}

// ---- the tree ---------------------------------------------------------------

void TSchemeForm::Rebuild() {
    const TSchemeNode focused = vtScheme->FocusedNode();
    vtScheme->Rebuild(Scheme(), FProject);
    if (QTreeWidgetItem* item = vtScheme->ItemOf(focused)) {
        const QSignalBlocker block(vtScheme);
        vtScheme->FocusNode(item);
        vtScheme->ExpandOnlyTo(item);
    }
    UpdateActions();
}

void TSchemeForm::FocusNode(const TSchemeNode& node) {
    QTreeWidgetItem* item = vtScheme->ItemOf(node);
    if (item == vtScheme->currentItem())
        FocusChanged();
    else
        vtScheme->FocusNode(item);
}

void TSchemeForm::FocusChanged() {
    if (FInFocusChange)
        return;
    FInFocusChange = true;
    const TSchemeNode n = vtScheme->FocusedNode();
    {
        // The control and the tree must not chase each other.
        const QSignalBlocker block(CRScheme);
        if (n.Level == TSchemeNode::lvNone || n.Level == TSchemeNode::lvRow) {
            CRScheme->SelectObject(nullptr);
        } else {
            CRScheme->SelectObject(n.Object);
            if (auto* arrow = dynamic_cast<TvxArrow*>(n.Object); arrow != nullptr) {
                TvxArrowPoint* p =
                    n.Level == TSchemeNode::lvPoint && n.Point < arrow->Points().Count()
                        ? arrow->Points().Items(n.Point)
                        : nullptr;
                if (n.Level == TSchemeNode::lvPoint && p != arrow->Points().SelectedPoint())
                    arrow->Points().SelectPoint(p);
            }
        }
    }
    if (OnSelectTrendRow && FQuiet == 0)
        OnSelectTrendRow(n.Row);
    CRScheme->BeginUpdate();
    ShowTrendView(Scheme(), n.Row);
    CRScheme->EndUpdate();
    vtScheme->ExpandOnlyTo(vtScheme->currentItem());
    vtScheme->viewport()->update();
    UpdatePropertyPage();
    UpdateActions();
    FInFocusChange = false;
}

TSchemeNode TSchemeForm::SelectionNode() const {
    TvxSchemeObject* o = CRScheme->SelectedObject();
    if (o == nullptr)
        return {};
    if (auto* arrow = dynamic_cast<TvxArrow*>(o);
        arrow != nullptr && arrow->Points().SelectedPoint() != nullptr)
        return {TSchemeNode::lvPoint, Scheme().RowOf(o), o,
                arrow->Points().IndexOf(arrow->Points().SelectedPoint())};
    return {TSchemeNode::lvObject, Scheme().RowOf(o), o, -1};
}

void TSchemeForm::CRSchemeSelect() {
    const TSchemeNode target = SelectionNode();
    if (vtScheme->ItemOf(target) != vtScheme->currentItem())
        FocusNode(target);
    UpdatePropertyPage();
    UpdateActions();
}

void TSchemeForm::CRSchemeChange(TvxSchemeObject*) {
    // A copy made in the scheme belongs to no row yet: it joins the row in
    // focus, as the engineer made it there.
    const int row = FocusedRow();
    for (int i = 0; i < Scheme().Count(); ++i) {
        TvxSchemeObject* o = Scheme().Items(i);
        if (Scheme().RowOf(o) < 0 && row >= 0)
            Scheme().AttachObject(o, row);
    }
    TSchemeNode target = SelectionNode();
    if (target.Level == TSchemeNode::lvNone) {
        target = vtScheme->FocusedNode();
        target = {target.Row >= 0 ? TSchemeNode::lvRow : TSchemeNode::lvNone, target.Row, nullptr,
                  -1};
    }
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
        QTreeWidgetItem* item = vtScheme->ItemOf(target);
        vtScheme->FocusNode(item);
        vtScheme->ExpandOnlyTo(item);
    }
    RefreshLabelTexts();
    UpdatePropertyPage();
    UpdateActions();
    SetModified();
}

void TSchemeForm::CRSchemeReOrder() {
    TvxSchemeObject* o = CRScheme->SelectedObject();
    const int row = Scheme().RowOf(o);
    if (o != nullptr && row >= 0) {
        Scheme().AttachObject(o, row, Scheme().IndexOf(o) == 0 ? 0 : -1);
        Rebuild();
    }
    SetModified();
}

void TSchemeForm::MoveObjectToRow(TvxSchemeObject* object, int row, int position) {
    if (Scheme().IndexOf(object) < 0 || row < 0 || row >= Scheme().RowCount())
        return;
    Scheme().AttachObject(object, row, position);
    {
        const QSignalBlocker block(vtScheme);
        vtScheme->Rebuild(Scheme(), FProject);
    }
    FocusNode({TSchemeNode::lvObject, row, object, -1});
    SetModified();
}

void TSchemeForm::RefreshLabelTexts() {
    if (FProject == nullptr)
        return;
    for (int row = 0; row < Scheme().RowCount(); ++row)
        for (TvxSchemeObject* o : Scheme().RowObjects(row))
            if (auto* label = dynamic_cast<TvxTrendLabel*>(o))
                label->SetText(FProject->TrendName(row));
    for (int i = 0; i < Scheme().Count(); ++i)
        if (auto* label = dynamic_cast<TvxTrendLabel*>(Scheme().Items(i));
            label != nullptr && Scheme().RowOf(label) < 0)
            label->SetText("???");
    CRScheme->Invalidate();
}

void TSchemeForm::UpdatePropertyPage() {
    const TSchemeNode n = vtScheme->FocusedNode();
    if (n.Row < 0 || FProject == nullptr) {
        Properties->ShowNone();
        return;
    }
    QTreeWidgetItem* item = vtScheme->currentItem();
    TvxSchemeObject* o = CRScheme->SelectedObject();
    int objectNumber = 0;
    if (QTreeWidgetItem* objectItem = vtScheme->ItemOf({TSchemeNode::lvObject, n.Row, o, -1}))
        objectNumber = objectItem->parent()->indexOfChild(objectItem) + 1;
    TvxArrowPoint* point = nullptr;
    if (auto* arrow = dynamic_cast<TvxArrow*>(o))
        point = arrow->Points().SelectedPoint();
    const int pointNumber = point != nullptr && n.Level == TSchemeNode::lvPoint && item != nullptr
                                ? item->parent()->indexOfChild(item) + 1
                                : 0;
    Properties->ShowTrend(Q(FProject->TrendName(n.Row)), o, objectNumber, point, pointNumber);
}

void TSchemeForm::NoteReported() {
    FReported = SchemeBytes(Scheme());
}

void TSchemeForm::SetModified() {
    std::string now = SchemeBytes(Scheme());
    if (now == FReported)
        return;
    FReported = std::move(now);
    if (OnModified)
        OnModified();
}

// ---- commands ---------------------------------------------------------------

void TSchemeForm::DeleteFocusedObject() {
    TvxSchemeObject* o = CRScheme->SelectedObject();
    QTreeWidgetItem* item = vtScheme->currentItem();
    while (item != nullptr && TSchemeTree::NodeOf(item).Level > TSchemeNode::lvObject)
        item = item->parent();
    if (o == nullptr || item == nullptr || TSchemeTree::NodeOf(item).Level != TSchemeNode::lvObject)
        return;
    QTreeWidgetItem* rowItem = item->parent();
    const int i = rowItem->indexOfChild(item);
    TSchemeNode next = TSchemeTree::NodeOf(rowItem);
    if (i + 1 < rowItem->childCount())
        next = TSchemeTree::NodeOf(rowItem->child(i + 1));
    else if (i > 0)
        next = TSchemeTree::NodeOf(rowItem->child(i - 1));
    FocusNode(next);
    if (CRScheme->SelectedObject() == o)
        CRScheme->SelectObject(nullptr);
    CRScheme->DeleteObject(o);
    FocusNode(next);
}

void TSchemeForm::InsertCopy() {
    if (CRScheme->SelectedObject() == nullptr)
        return;
    CRScheme->DuplicateSelected();
    CRScheme->MoveStep(10, 10);
    // The copy joins its row at once: a copy made from the menu would
    // otherwise wait for the next click in the scheme, and be lost by a
    // save before it.
    TvxSchemeObject* copy = CRScheme->SelectedObject();
    CRScheme->GestureEnd(copy);
    if (copy != nullptr)
        copy->EndChange();
}

bool TSchemeForm::LoadBackground(const QString& path) {
    std::string gif;
    try {
        gif = LoadBackgroundPicture(path);
    } catch (const std::exception& e) {
        ShowError(this, QString::fromUtf8(e.what()));
        return false;
    }
    Scheme().LoadSchemeBackground(gif);
    CRScheme->BackgroundChanged();
    SetModified();
    return true;
}

void TSchemeForm::ClearBackground() {
    Scheme().ClearBackground();
    CRScheme->BackgroundChanged();
    SetModified();
}

void TSchemeForm::FitToContents() {
    // The nested layouts learn of the new sizes through posted requests;
    // they are handled now, so the window takes its new size at once.
    for (int i = 0; i < 3; ++i)
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    layout()->activate();
    adjustSize();
}

void TSchemeForm::SetZoom(int zoom) {
    CRScheme->SetZoom(zoom);
    actZoomIn->setEnabled(CRScheme->Zoom() < 4);
    actZoomOut->setEnabled(CRScheme->Zoom() > 1);
    FitToContents();
}

void TSchemeForm::ToggleEditor() {
    const QPoint schemeAt = CRScheme->mapToGlobal(QPoint(0, 0));
    FEditor->setVisible(FEditorHidden);
    FEditorHidden = !FEditorHidden;
    FitToContents();
    // The scheme and the buttons stay where they are on the desktop.
    move(pos() + (schemeAt - CRScheme->mapToGlobal(QPoint(0, 0))));
    actSchemeEdit->setText(FEditorHidden ? QStringLiteral("Показать редактор")
                                         : QStringLiteral("Скрыть редактор"));
    actSchemeEdit->setIcon(
        SchemeButtonIcon(FEditorHidden ? TSchemeButton::ShowEditor : TSchemeButton::HideEditor));
    actSchemeEdit->setToolTip(actSchemeEdit->text());
}

} // namespace tralcon
