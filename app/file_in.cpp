// Settings file: not built yet.
