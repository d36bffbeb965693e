// Port chooser window: not built yet.
