// A translation unit for the static libraries of the link check's project.
