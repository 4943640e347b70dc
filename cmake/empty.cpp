// Keeps a library target valid while its folders have no sources yet.
