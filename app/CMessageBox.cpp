#include "app/CMessageBox.h"

#include <QCoreApplication>

#include <deque>

namespace
{
struct SScript
{
    bool bActive = false;
    std::deque<QMessageBox::StandardButton> answers;
    QStringList shownTexts;
};

SScript& GetScript()
{
    static SScript script;
    return script;
}
} // namespace

QMessageBox::StandardButton CMessageBox::Show(QWidget* pParent, QMessageBox::Icon nIcon,
                                              const QString& strText,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton nDefault)
{
    SScript& script = GetScript();
    if (script.bActive)
    {
        script.shownTexts.append(strText);
        if (script.answers.empty())
            return nDefault;
        const QMessageBox::StandardButton nAnswer = script.answers.front();
        script.answers.pop_front();
        return nAnswer;
    }
    QMessageBox box(nIcon, QCoreApplication::applicationName(), strText, buttons, pParent);
    box.setDefaultButton(nDefault);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void CMessageBox::UseScriptedAnswers()
{
    GetScript().bActive = true;
}

void CMessageBox::QueueAnswer(QMessageBox::StandardButton nAnswer)
{
    GetScript().answers.push_back(nAnswer);
}

QStringList CMessageBox::TakeShownTexts()
{
    QStringList texts;
    texts.swap(GetScript().shownTexts);
    return texts;
}
