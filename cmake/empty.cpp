// Placeholder for a subsystem whose folder holds no source yet.
