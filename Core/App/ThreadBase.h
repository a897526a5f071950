#pragma once
// The portable name of a task that can run the timed loop; adds nothing to the task.
#include "Core/Base/Task.h"

namespace app {

class ThreadBase : public base::Task {
public:
    using base::Task::Task;
};

} // namespace app
