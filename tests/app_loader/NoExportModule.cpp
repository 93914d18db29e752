// A module that loads but offers no factory.
extern "C" __attribute__((visibility("default"))) int SomethingElse() {
    return 7;
}
