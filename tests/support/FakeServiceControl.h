#pragma once

#include "service/ServiceControl.h"

#include <atomic>
#include <functional>

// A service control that answers with `answer` (set before use) and counts what it was asked.
class FakeServiceControl : public ServiceControl
{
public:
    // Gets the query's number, from 1.
    std::function<ServiceState(int)> answer = [](int) { return ServiceState::running(412); };
    std::function<void()> onRestart = [] {};
    std::atomic_int queries = 0;
    std::atomic_int restarts = 0;

    ServiceState queryState() override { return answer(++queries); }
    void restart() override
    {
        onRestart();
        ++restarts;
    }
};
