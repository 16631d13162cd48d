set_install_path REG_EXPAND_SZ "$(program_path install)"
