Hostile job                   
         601
