#pragma once

#include "store/Models.h"
#include "store/Saved.h"
#include "support/Clock.h"
#include "tasks/TaskSource.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUuid>

#include <chrono>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

// The task model every window shares: the task and message lists, the item to do now and
// every operation on them. Each operation saves what it changed and ends with one
// `changed` signal; the windows are views that redraw on it.
class TaskBoard : public QObject, public TaskSource {
    Q_OBJECT
public:
    static const QString aHint;
    static const QString dHint;
    static const QString hHint;
    // A new task keeps this many user-perceived characters of its text.
    static constexpr int maxTaskLength = 100;

    explicit TaskBoard(Clock clock = systemNow, QObject* parent = nullptr);

    // Reads both lists from the store; adds the tutorial tasks when the list has none and they
    // were never added before.
    void load();

    const std::vector<Task>& tasks() const override { return tasks_; }
    const std::vector<SystemMessage>& systemMessages() const { return messages_; }

    // The item the last selection pass chose: an index into the messages when
    // `systemMessageActive`, otherwise into the tasks; nothing when there is nothing to do.
    std::optional<std::size_t> currentTask() const;
    bool systemMessageActive() const { return std::holds_alternative<std::int64_t>(current_); }
    const Task* currentTaskItem() const;
    const SystemMessage* currentMessage() const;

    // The open tasks put off for now, and when the first of them comes back (if any has an end).
    struct Snoozed {
        int count = 0;
        std::optional<Date> nextBack;
    };
    Snoozed snoozedTasks() const;
    // The model's clock.
    Date now() const override { return now_(); }

    // The selection pass: sort, wake expired snoozes, save, choose the item to do now.
    void setCurrentTask();

    // The panel's actions on the current item, each followed by a selection pass.
    void addTask(const QString& text);
    void doneCurrent();
    void snoozeCurrent(double hours);
    void unsnoozeAll();
    // Removes the first tutorial task named `hint`; false when there is none.
    bool removeTutorial(const QString& hint);

    // The task list's actions, on tasks named by id, each followed by a selection pass.
    void setDone(const QList<QUuid>& ids, bool done);
    void rename(const QUuid& id, const QString& name);
    void unsnooze(const QList<QUuid>& ids);
    void remove(const QList<QUuid>& ids);
    void removeAllDone();
    // Puts a whole new list in place (an import, an undo).
    void replaceTasks(std::vector<Task> tasks) override;
    // Whether the store holds the list as it is now.
    bool tasksSaved() const override { return !tasksUnsaved_; }
    QMetaObject::Connection onChange(const QObject* context,
                                     std::function<void()> changed) override;
    // Why the store does not hold the lists as they are now; empty when it does.
    const QString& saveFailure() const { return saveFailure_; }

    // While one lives, operations change the lists in memory only; when the last one goes,
    // what they changed is stored with one write per list.
    class Batch {
    public:
        explicit Batch(TaskBoard& board);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TaskBoard& board_;
    };

    // Takes the stored messages again, unless the list here is newer (its last save failed).
    void reloadMessages();
    // Puts the announcements the feed accepted in place; they show from the next selection
    // pass. The message on show is tracked by id, so a new order does not change it.
    void replaceMessages(std::vector<SystemMessage> messages);

    // Cuts a text to the length a task keeps.
    static QString taskName(const QString& text);

signals:
    void changed();

private:
    template <typename Change> void changeTasks(const QList<QUuid>& ids, Change change);
    void saveTasks();
    void saveMessages();
    void saveUnsavedTasks();
    void saveUnsavedMessages();
    void noteSave(bool& unsaved, const Saved& saved);
    void addTutorialTasks();
    void wakeExpired();

    Clock now_;
    std::vector<Task> tasks_;
    std::vector<SystemMessage> messages_;
    // Changes not yet in the store: new ones, or ones whose save failed.
    bool tasksUnsaved_ = false;
    bool messagesUnsaved_ = false;
    QString saveFailure_;
    // Tries a failed save again, so a change held in memory is stored once space returns.
    QTimer saveRetry_;
    int batches_ = 0;
    // The item on show, by identity, so that removing another item does not move it.
    std::variant<std::monostate, QUuid, std::int64_t> current_;
};
