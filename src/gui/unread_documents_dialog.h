// The list of the documents a search could not read, each with the reason, which the user can
// copy (to report it, or to open the files another way).
#pragma once

#include "content/document_failure.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;

class TUnreadDocumentsDialog : public QDialog
{
    Q_OBJECT
public:
    // Fills the list with aDocuments, texts in the current language. UI thread only.
    explicit TUnreadDocumentsDialog(const std::vector<TUnreadDocument> &aDocuments,
                                    QWidget *aParent = nullptr);

    QTreeWidget *List = nullptr;
    QPushButton *btCopy = nullptr;
    QPushButton *btClose = nullptr;

    // Every row as "path<TAB>reason", one per line, as the clipboard gets it.
    QString RowsText() const;
};
