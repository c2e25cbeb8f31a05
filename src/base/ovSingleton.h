#pragma once
// The one live object of a class the program reaches as a single global (its modules,
// the wizards' roots, the application): set while the object exists and null before
// and after, so that a test can build the whole program afresh in one process.
template <class T> class ovSingleton {
public:
    // Cast when asked, not when set: while the base is being built the object is not
    // yet a T.
    static T* instance() { return static_cast<T*>(instance_); }

protected:
    ovSingleton() { instance_ = this; }
    ~ovSingleton() {
        if (instance_ == this)
            instance_ = nullptr;
    }
    ovSingleton(const ovSingleton&) = delete;
    ovSingleton& operator=(const ovSingleton&) = delete;

private:
    static inline ovSingleton* instance_ = nullptr;
};
