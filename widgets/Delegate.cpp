// Listener lists, with dispatch that survives callbacks changing the list or destroying its owner.

#include "widgets/Delegate.h"

#include <new>

// A notification in progress. The list points to the innermost one; clearListeners stops them all,
// so none reads a freed listener or the list itself again.
struct ListenerDispatch {
    Delegate* next;           // next listener to call, null when done
    Delegate* last;           // the tail when the notification began
    ListenerDispatch* outer;  // an enclosing notification of the same list, if a callback nested one
    bool listCleared;
};

bool addListener(DelegateList& list, void* target, DelegateCallback callback)
{
    auto* listener = new (std::nothrow) Delegate{target, callback, nullptr, list.tail};
    if (listener == nullptr) return false;
    if (list.tail != nullptr) list.tail->next = listener;
    else list.head = listener;
    list.tail = listener;
    return true;
}

void clearListeners(DelegateList& list)
{
    for (ListenerDispatch* dispatch = list.dispatch; dispatch != nullptr; dispatch = dispatch->outer) {
        dispatch->next = nullptr;
        dispatch->listCleared = true;
    }
    list.dispatch = nullptr;
    for (Delegate* listener = list.head; listener != nullptr;) {
        Delegate* next = listener->next;
        delete listener;
        listener = next;
    }
    list.head = list.tail = nullptr;
}

// The list holds the address of this frame's record only while the callbacks run: it is restored
// before returning, or, when the list was cleared (perhaps freed), clearListeners already let go.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
void notifyListeners(DelegateList& list, void* argument)
{
    ListenerDispatch dispatch{list.head, list.tail, list.dispatch, false};
    list.dispatch = &dispatch;
    while (dispatch.next != nullptr) {
        Delegate* current = dispatch.next;
        dispatch.next = current == dispatch.last ? nullptr : current->next;
        current->callback(current->target, argument);
    }
    if (!dispatch.listCleared) list.dispatch = dispatch.outer;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
