Hostile job                   
           0
