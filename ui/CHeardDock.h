#pragma once

#include <QDockWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;
struct SHeardPress;

// The Heard list: every press the receiver heard, newest first, with its time, its code and the
// button it matches, or "unknown". Learn makes a button of an unknown signal.
class CHeardDock : public QDockWidget
{
public:
    // The rows kept; older ones go.
    static constexpr int kMaxRows = 200;
    using CLearn = std::function<void(const std::vector<std::uint32_t>& durations)>;

    explicit CHeardDock(QWidget* pParent = nullptr);

    void AddPress(const SHeardPress& press);
    // Called with the selected unknown signal when Learn is clicked.
    void SetLearn(CLearn learn) { m_learn = std::move(learn); }

private:
    void OnSelectionChanged();

    QTreeWidget* m_pList;
    QPushButton* m_pLearn;
    // Each row's signal, the newest first, as the rows are.
    std::vector<std::vector<std::uint32_t>> m_signals;
    std::vector<bool> m_matched;
    CLearn m_learn;
};
