// A module whose factory refuses: the loader must report the refusal.
namespace SOUI {
class IObjRef;
}
extern "C" __attribute__((visibility("default"))) int SCreateInstance(SOUI::IObjRef**) {
    return 0;
}
