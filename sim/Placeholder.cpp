namespace qm::sim { int placeholder() { return 0; } }
