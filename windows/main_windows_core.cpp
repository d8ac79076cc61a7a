// Pure parts of the main windows.
