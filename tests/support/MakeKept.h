#pragma once

#include <memory>

// Makes a T for the code under test and keeps a pointer to it in `made`.
template<typename T>
std::unique_ptr<T> makeKept(T *&made)
{
    auto object = std::make_unique<T>();
    made = object.get();
    return object;
}
