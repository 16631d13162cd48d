rm jobs.ini
