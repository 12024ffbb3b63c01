#pragma once

#include "app/CRecoveryFolder.h"

#include <QTimer>

#include <string>

class CDocumentController;
class QWidget;

// Keeps a recovery copy of the document's unsaved changes, as editors do: every few minutes
// while it is modified, and when the program is ended from outside (a signal, the session's
// end). The copy goes once the changes are saved or the person chose not to save them; one a
// previous run left is offered at the next start.
class CRecoveryKeeper
{
public:
    static constexpr int kIntervalMs = 2 * 60 * 1000;

    // window: the parent of the questions.
    CRecoveryKeeper(CDocumentController& documents, QWidget& window,
                    CRecoveryFolder folder = CRecoveryFolder());

    // Copies are kept while the document is modified; once it is not (saved, or replaced
    // after the person chose not to save it), its copy goes.
    void OnModifiedChanged(bool bModified);
    // The person chose not to save the changes.
    void Discard();
    // Writes the copy of a modified document now, never over the document itself.
    void WriteCopy();
    // Offers the copies a previous run left, the most recent first, until one is recovered:
    // it becomes the document, modified, saved to its own path. A declined copy is deleted.
    void OfferCopies();

    QTimer& GetTimer() { return m_timer; }

private:
    // True when the copy became the document.
    bool Offer(const SRecoveryCopy& copy);

    CDocumentController& m_documents;
    QWidget& m_window;
    CRecoveryFolder m_folder;
    QTimer m_timer;
    // The copy of the present changes, once written or recovered; empty for none.
    std::string m_strKept;
};
