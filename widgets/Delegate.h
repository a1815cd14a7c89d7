#pragma once

// Listener lists through which widgets call back into the application. A callback is a plain
// function given the target it was registered with and an argument that carries nothing here
// (callbacks read the widget's state instead).

using DelegateCallback = void (*)(void* target, void* argument);

struct Delegate {
    void* target;
    DelegateCallback callback;
    Delegate* next;
    Delegate* prev;
};

struct ListenerDispatch;

// Owned by the widget that fires it; listeners are called from head to tail, in registration order.
struct DelegateList {
    Delegate* head = nullptr;
    Delegate* tail = nullptr;
    ListenerDispatch* dispatch = nullptr;  // innermost notifyListeners running over this list, if any
};

// Appends a listener at the tail; false, leaving the list as it was, when memory runs out.
bool addListener(DelegateList& list, void* target, DelegateCallback callback);
// Frees every listener and empties the list.
void clearListeners(DelegateList& list);
// Calls every listener from head to tail. A callback may change what called it: listeners it adds
// are first called by the next notification; when it clears the list (or destroys the widget that
// owns it) no further listener of this notification is called and the list is not touched again.
void notifyListeners(DelegateList& list, void* argument);
