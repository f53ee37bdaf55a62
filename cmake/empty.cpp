// Lets a layer library exist before it has sources of its own.
