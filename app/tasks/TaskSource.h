#pragma once

#include "store/Models.h"
#include "support/Date.h"

#include <QMetaObject>

#include <functional>
#include <vector>

class QObject;

// What a sync needs of the task list: the tasks, putting a merged list in place, whether the
// store holds it, the model's clock, and word of every change.
class TaskSource {
public:
    virtual ~TaskSource() = default;

    virtual const std::vector<Task>& tasks() const = 0;
    virtual void replaceTasks(std::vector<Task> tasks) = 0;
    virtual bool tasksSaved() const = 0;
    virtual Date now() const = 0;
    // Calls `changed` on `context`'s thread after every change, while `context` lives.
    virtual QMetaObject::Connection onChange(const QObject* context,
                                             std::function<void()> changed) = 0;
};
