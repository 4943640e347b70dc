namespace qm { int platformPlaceholder() { return 0; } }
