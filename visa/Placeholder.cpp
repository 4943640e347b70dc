namespace qm::visa { int placeholder() { return 0; } }
