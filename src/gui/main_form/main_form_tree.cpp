// The main window's folder tree and where-to-search list: the tree linked to the selection list,
// the archive filter, and the list of ticked folders rebuilt 500 ms after the last tick.
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "platform/file_name.h"
#include "search/search_roots.h"

#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QTimer>

void TMainForm::CreateFolderTree()
{
    ZorShellLink1 = &fSession->ShellLink();
    ZorShellTree1 = new TZorShellTree(fFolderTreePlace);
    ZorShellTree1->setFrameShape(QFrame::NoFrame);
    fFolderTreePlace->layout()->addWidget(ZorShellTree1);
    ZorShellTree1->OnAddFolder = [this](TZorShellTreeNode &Node, const QString &path, bool &CanAdd) {
        ZorShellTree1AddFolder(Node, path, CanAdd);
    };
    ZorShellTree1->OnTreeNodeCheckStateChanged = [this](TZorShellTree &sender, TZorShellTreeNode &node,
                                                        TZorSelectionState CheckState) {
        ZorShellTree1TreeNodeCheckStateChanged(sender, node, CheckState);
    };
    ZorShellTree1->SetShellLink(ZorShellLink1);
    ZorShellTree1->SetMultipleRoots(mrSingleRoot);
    ZorShellTree1->SetRootedAt(TZorShellItem::FromSpecialFolder(SF_DRIVES));
    ZorShellTree1->SetFilter(QStringLiteral("*"));
    ZorShellTree1->SetCheckboxes(true);
}

void TMainForm::ConnectFolderTree()
{
    connect(TimerListUpdate, &QTimer::timeout, this, &TMainForm::TimerListUpdateTimer);
    connect(Label8, &TLinkLabel::Clicked, this, &TMainForm::Label8Click);
}

void TMainForm::TimerListUpdateTimer()
{
    TimerListUpdate->stop();
    Memo1->clear();
    const QStringList lines = WhereToSearchLines(ZorShellLink1->SelectionList().Paths());
    Memo1->setPlainText(DisplayFileName(lines.join(u'\n')));
    Memo1->repaint();
    StaticText1->setVisible(lines.isEmpty());
}

void TMainForm::Label8Click()
{
    ZorShellLink1->SelectionList().Clear();
}

void TMainForm::ZorShellTree1AddFolder(TZorShellTreeNode & /*Node*/, const QString &path, bool &CanAdd)
{
    CanAdd = FolderTreeAcceptsFolder(path);
}

void TMainForm::ZorShellTree1TreeNodeCheckStateChanged(TZorShellTree & /*sender*/,
                                                       TZorShellTreeNode & /*pShellTreeNode*/,
                                                       TZorSelectionState /*CheckState*/)
{
    RestartListUpdateTimer();
}
