#include "CFileListPane.h"

#include "CChannelTree.h"
#include "COndrelView.h"
#include "ChannelTree.h"
#include "Criterion.h"
#include "CriterionCommands.h"
#include "OndrelDoc.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <set>

CFileListPane::CFileListPane(COndrelDoc* doc, QWidget* parent)
    : QWidget(parent),
      m_doc(doc),
      m_filter(new QLineEdit(this)),
      m_treeButton(new QToolButton(this)),
      m_stack(new QStackedWidget(this)),
      m_list(new COndrelView(doc, m_stack)),
      m_tree(new CChannelTree(doc, m_stack))
{
    m_filter->setObjectName(QStringLiteral("listFilter"));
    m_filter->setPlaceholderText(QStringLiteral("Filter: code pattern (11HEAD*AC?A) or words of the name"));
    m_filter->setClearButtonEnabled(true);
    m_filter->setToolTip(QStringLiteral("A pattern with ? and * matches whole channel codes (file names without a "
                                        "code); other text finds channels whose code or name holds every word"));
    m_treeButton->setText(QStringLiteral("Tree"));
    m_treeButton->setObjectName(QStringLiteral("treeView"));
    m_treeButton->setCheckable(true);
    m_treeButton->setToolTip(QStringLiteral("Channels grouped by test object, position and body region; off: the flat list"));
    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_filter, 1);
    top->addWidget(m_treeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_stack, 1);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_tree);
    setFocusProxy(m_list);

    connect(m_filter, &QLineEdit::textChanged, this, [this] { Refilter(); });
    connect(m_treeButton, &QToolButton::toggled, this, [this](bool on) { ShowTree(on); });
    m_list->SetRefilledCallback([this] {
        m_tree->Refill(m_filter->text());
        UpdateShownView();
    });
    m_list->SetMenuExtension([this](QMenu* menu) { AddCriterionMenu(menu); });
    m_tree->SetContextMenuBuilder([this](const QPoint& at) { ShowMenu(at); });
    // Each view shows what the other loaded.
    m_tree->SetSelectionHandledCallback([this] {
        m_list->SelectLoaded();
        if (m_afterSelection)
            m_afterSelection();
    });
    m_list->SetSelectionHandledCallback([this] {
        m_tree->SelectLoaded();
        if (m_afterSelection)
            m_afterSelection();
    });
}

void CFileListPane::SetSelectionHandledCallback(std::function<void()> callback)
{
    m_afterSelection = std::move(callback);
}

bool CFileListPane::TreeShown() const { return m_stack->currentWidget() == m_tree; }

void CFileListPane::ShowTree(bool on)
{
    m_treeChoice = on ? 1 : 0;
    UpdateShownView();
}

void CFileListPane::UpdateShownView()
{
    const bool codes = m_tree->HasCodes();
    const bool tree = codes && m_treeChoice != 0;
    m_treeButton->setEnabled(codes);
    {
        const QSignalBlocker block(m_treeButton);
        m_treeButton->setChecked(tree);
    }
    QWidget* shown = tree ? static_cast<QWidget*>(m_tree) : m_list;
    if (m_stack->currentWidget() != shown) {
        const bool focused = m_stack->currentWidget() && m_stack->currentWidget()->hasFocus();
        m_stack->setCurrentWidget(shown);
        setFocusProxy(shown);
        if (focused)
            shown->setFocus();
    }
}

void CFileListPane::Refilter()
{
    m_list->SetFilter(m_filter->text()); // refills the list, then the tree
}

void CFileListPane::SelectNames(const QStringList& names)
{
    if (TreeShown())
        m_tree->SelectNames(names);
    else
        m_list->SelectNames(names);
}

void CFileListPane::ShowMenu(const QPoint& at)
{
    QMenu* menu = m_list->BuildContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(at);
}

void CFileListPane::AddCriterionMenu(QMenu* menu)
{
    // The positions of the dummies the listed codes name.
    std::set<QChar> positions;
    for (const CChannelItem& item : ListedChannels(*m_doc))
        if (const QChar p = DummyPosition(item.code); !p.isNull())
            positions.insert(p);
    QMenu* select = menu->addMenu(QStringLiteral("Select for Criterion"));
    select->setObjectName(QStringLiteral("selectForCriterion"));
    select->setEnabled(!positions.empty());
    for (const Criteria::CriterionDef& def : Criteria::CriterionDefs()) {
        QMenu* criterion = select->addMenu(QString::fromLatin1(def.title));
        for (const QChar p : positions) {
            QAction* action = criterion->addAction(PositionLabel(p));
            action->setData(QString(p));
            connect(action, &QAction::triggered, this, [this, &def, p] {
                QString why;
                const QStringList names = CriterionCommands::CriterionChannels(*m_doc, def, p.toLatin1(), why);
                if (names.isEmpty()) {
                    if (m_doc->Ui())
                        m_doc->Ui()->ShowMessageBox(why);
                    return;
                }
                // The channels are shown even where the filter hid them.
                if (!m_filter->text().isEmpty())
                    m_filter->clear();
                SelectNames(names);
            });
        }
    }
}
