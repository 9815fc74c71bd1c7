// The unread-documents dialog: a two-column list (document, reason), Copy and Close.
#include "gui/unread_documents_dialog.h"

#include "i18n/translation.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The translated reason, with the technical detail after it when there is one.
QString ReasonText(const TDocumentFailure &aFailure)
{
    QString reason = Translate(DocumentProblemPhrase(aFailure.fProblem));
    if (!aFailure.fDetail.isEmpty())
        reason += QStringLiteral(" (") + aFailure.fDetail + u')';
    return reason;
}

} // namespace

TUnreadDocumentsDialog::TUnreadDocumentsDialog(const std::vector<TUnreadDocument> &aDocuments,
                                               QWidget *aParent)
    : QDialog(aParent)
{
    setWindowTitle(Translate(QStringLiteral("Documents that could not be read")));
    resize(900, 360);
    auto *layout = new QVBoxLayout(this);
    List = new QTreeWidget(this);
    List->setColumnCount(2);
    List->setHeaderLabels({Translate(QStringLiteral("Document")), Translate(QStringLiteral("Reason"))});
    List->setRootIsDecorated(false);
    List->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List->setAccessibleName(windowTitle());
    for (const TUnreadDocument &document : aDocuments) {
        auto *row = new QTreeWidgetItem(List, {document.fPath, ReasonText(document.fFailure)});
        row->setToolTip(0, document.fPath);
        row->setToolTip(1, row->text(1));
    }
    List->header()->resizeSection(0, 380);
    layout->addWidget(List);

    auto *buttons = new QDialogButtonBox(this);
    btCopy = buttons->addButton(Translate(QStringLiteral("Copy")), QDialogButtonBox::ActionRole);
    btClose = buttons->addButton(Translate(QStringLiteral("Close")), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(btCopy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(RowsText()); });
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
}

QString TUnreadDocumentsDialog::RowsText() const
{
    QString text;
    for (int i = 0; i < List->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *row = List->topLevelItem(i);
        text += row->text(0) + u'\t' + row->text(1) + u'\n';
    }
    return text;
}
